#pragma once

// The plug-in's own version: 174 is shown as V1.7.4.
constexpr int PLUGIN_VERSION = 174;
