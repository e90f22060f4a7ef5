// Compiled-in resources through FindResourceW / LoadResource / LockResource / SizeofResource /
// LoadStringW.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "sandbox_desktop.h"
#include "win32/resources.h"

namespace {

// A PNG signature followed by a few bytes: what an icon picture starts with.
const std::vector<BYTE> kPngBytes = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 1, 2, 3};

win32::ResourceTable sampleTable() {
  win32::ResourceTable t;
  t.addString(32768, u"\n发送所选对象到星衡");
  t.addString(7, u"");  // Windows keeps no empty strings
  t.addBinary(u"PNG", 10004, kPngBytes);
  t.addBinary(RT_RCDATA, MAKEINTRESOURCEW(8315), {9, 8, 7});
  t.addBinary(u"PNG", 10005, {});
  t.addIcon(8328, {0, 0, 1, 0});
  win32::DialogTemplate dlg;
  dlg.className = u"VurkArxWin";
  dlg.caption = u"消息";
  dlg.controls = {{1, u"Button", u"确定", 0}, {1001, u"Static", u"", 0}};
  t.addDialog(8103, dlg);
  return t;
}

class Resources : public ::testing::Test {
 protected:
  Resources() : table_(sampleTable()) { module_ = desktop_->registerModule(u"D:\\VurkArx\\VurkArx.arx", &table_); }

  vurktest::SandboxDesktop desktop_;
  win32::ResourceTable table_;
  HMODULE module_ = nullptr;
};

TEST_F(Resources, LoadStringCopiesTheWholeTextWhenItFits) {
  char16_t buffer[64];
  std::fill(std::begin(buffer), std::end(buffer), u'#');
  EXPECT_EQ(LoadStringW(module_, 32768, buffer, 64), 10);
  EXPECT_EQ(std::u16string(buffer), u"\n发送所选对象到星衡");
}

TEST_F(Resources, LoadStringTruncatesToTheBufferAndTerminates) {
  char16_t buffer[5];
  std::fill(std::begin(buffer), std::end(buffer), u'#');
  EXPECT_EQ(LoadStringW(module_, 32768, buffer, 5), 4);
  EXPECT_EQ(std::u16string(buffer), u"\n发送所");
  char16_t one[1] = {u'#'};
  EXPECT_EQ(LoadStringW(module_, 32768, one, 1), 0) << "room for the terminator only";
  EXPECT_EQ(one[0], 0);
}

TEST_F(Resources, LoadStringWithSizeZeroGivesAReadOnlyPointerAndTheFullLength) {
  LPCWSTR text = nullptr;
  EXPECT_EQ(LoadStringW(module_, 32768, reinterpret_cast<LPWSTR>(&text), 0), 10);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(std::u16string(text, 10), u"\n发送所选对象到星衡");
}

TEST_F(Resources, LoadStringOfAMissingOrEmptyStringReturnsZeroAndLeavesTheBuffer) {
  char16_t buffer[8] = {u'k', u'e', u'e', u'p', 0};
  EXPECT_EQ(LoadStringW(module_, 32999, buffer, 8), 0);
  EXPECT_EQ(std::u16string(buffer), u"keep");
  EXPECT_EQ(LoadStringW(module_, 7, buffer, 8), 0);
  EXPECT_EQ(LoadStringW(reinterpret_cast<HINSTANCE>(0x1234), 32768, buffer, 8), 0) << "unknown module";
  EXPECT_EQ(LoadStringW(module_, 32768, nullptr, 8), 0);
}

TEST_F(Resources, PngResourceIsFoundByTypeNameInAnyCaseAndByHashName) {
  for (LPCWSTR type : {u"PNG", u"png"}) {
    HRSRC r = FindResourceW(module_, MAKEINTRESOURCEW(10004), type);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(SizeofResource(module_, r), kPngBytes.size());
    const void* data = LockResource(LoadResource(module_, r));
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(std::memcmp(data, kPngBytes.data(), kPngBytes.size()), 0);
  }
  EXPECT_NE(FindResourceW(module_, u"#10004", u"PNG"), nullptr);
  EXPECT_NE(FindResourceW(module_, MAKEINTRESOURCEW(8315), RT_RCDATA), nullptr);
  EXPECT_NE(FindResourceW(module_, u"#8315", u"#10"), nullptr) << "a numeric type may be written #10";
}

TEST_F(Resources, MissingResourcesAreNullWithTheReason) {
  EXPECT_EQ(FindResourceW(module_, MAKEINTRESOURCEW(10099), u"PNG"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_RESOURCE_NAME_NOT_FOUND);
  EXPECT_EQ(FindResourceW(module_, MAKEINTRESOURCEW(10004), u"JPG"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_RESOURCE_TYPE_NOT_FOUND);
  EXPECT_EQ(FindResourceW(nullptr, MAKEINTRESOURCEW(10004), u"PNG"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_RESOURCE_DATA_NOT_FOUND);
}

TEST_F(Resources, AZeroLengthResourceLoadsWithSizeZero) {
  HRSRC r = FindResourceW(module_, MAKEINTRESOURCEW(10005), u"PNG");
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(SizeofResource(module_, r), 0u);
  EXPECT_NE(LoadResource(module_, r), nullptr);
}

TEST_F(Resources, AHandleOfAnotherModuleIsRefused) {
  win32::ResourceTable other = sampleTable();
  HMODULE otherModule = desktop_->registerModule(u"D:\\Other\\Other.arx", &other);
  HRSRC r = FindResourceW(otherModule, MAKEINTRESOURCEW(10004), u"PNG");
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(LoadResource(module_, r), nullptr);
  EXPECT_EQ(SizeofResource(module_, r), 0u);
  EXPECT_EQ(LoadResource(module_, nullptr), nullptr);
}

TEST_F(Resources, IconsAreGroupIconResources) {
  HRSRC r = FindResourceW(module_, MAKEINTRESOURCEW(8328), RT_GROUP_ICON);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(SizeofResource(module_, r), 4u);
  EXPECT_EQ(FindResourceW(module_, MAKEINTRESOURCEW(8328), RT_ICON), nullptr);
}

TEST_F(Resources, DialogTemplatesCarryClassCaptionAndControls) {
  const win32::DialogTemplate* dlg = table_.dialog(8103);
  ASSERT_NE(dlg, nullptr);
  EXPECT_EQ(dlg->className, u"VurkArxWin");
  ASSERT_NE(dlg->control(1), nullptr);
  EXPECT_EQ(dlg->control(1)->text, u"确定");
  EXPECT_EQ(dlg->control(2), nullptr);
  HRSRC r = FindResourceW(module_, MAKEINTRESOURCEW(8103), RT_DIALOG);
  ASSERT_NE(r, nullptr);
  const auto* locked = static_cast<const win32::DialogTemplate*>(LockResource(LoadResource(module_, r)));
  EXPECT_EQ(locked, dlg);
  EXPECT_EQ(table_.dialog(8104), nullptr);
}

TEST_F(Resources, NumericNamesAboveTheIdRangeAreOrdinaryStrings) {
  EXPECT_EQ(win32::ResourceTable::canonicalName(u"#70000"), u"#70000") << "not an id: kept as a string";
  EXPECT_EQ(win32::ResourceTable::canonicalName(u"#0123"), u"#123");
  EXPECT_EQ(win32::ResourceTable::canonicalName(u"png"), u"PNG");
  EXPECT_EQ(win32::ResourceTable::canonicalName(MAKEINTRESOURCEW(5)), u"#5");
}

}  // namespace
