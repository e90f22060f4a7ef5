// The plug-in's string table as the toolbar reads it: LoadStringW on the plug-in's module.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>

#include "resources/string_table.h"
#include "win32/desktop.h"
#include "win32/resources.h"

namespace {

class StringTable : public ::testing::Test {
 protected:
  StringTable()
      : root_(std::filesystem::temp_directory_path() / ("vurkarx-strings-" + std::to_string(::getpid()))),
        desktop_(root_),
        scope_(desktop_),
        table_(vurkarx::pluginResourceTable()) {
    module_ = desktop_.registerModule(u"D:\\VurkArx\\VurkArx.arx", &table_);
  }
  ~StringTable() override {
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
  }

  std::u16string load(UINT id) {
    char16_t buffer[128] = {};
    const int n = LoadStringW(module_, id, buffer, 128);
    return std::u16string(buffer, static_cast<std::size_t>(n < 0 ? 0 : n));
  }

  std::filesystem::path root_;
  win32::Desktop desktop_;
  win32::DesktopScope scope_;
  win32::ResourceTable table_;
  HMODULE module_ = nullptr;
};

TEST_F(StringTable, EveryToolbarCommandHasItsTooltipAfterALineFeed) {
  EXPECT_EQ(load(32768), u"\n发送所选对象到星衡");
  EXPECT_EQ(load(32769), u"\n加载在线底图");
  EXPECT_EQ(load(32770), u"\n下载底图到本地");
  EXPECT_EQ(load(32771), u"\n下载高程(DEM)");
  EXPECT_EQ(load(32772), u"\n设置关联点");
  EXPECT_EQ(load(32773), u"\n设置属性");
  EXPECT_EQ(load(32781), u"\n设置断面参数");
}

TEST_F(StringTable, HoldsNoOtherStrings) {
  EXPECT_EQ(table_.strings().size(), 7u);
  EXPECT_EQ(load(32774), u"") << "ids 32774..32780 are not toolbar commands";
}

}  // namespace
