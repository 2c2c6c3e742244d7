// The chooser's captions, the same on both front ends; "&" marks the access key.
#pragma once

namespace chooser {

inline constexpr const char* kCaption = "Tolvik - CAN adapter";
inline constexpr const char* kIntro =
    "Choose the CAN adapter on the instrument's bus. Nothing is sent to it until you connect.";
inline constexpr const char* kAdaptersLabel = "&Adapters:";
inline constexpr const char* kAdaptersName = "Adapters";
inline constexpr const char* kBitrateLabel = "&Bit rate:";
inline constexpr const char* kBitrateName = "Bit rate";
inline constexpr const char* kRemember = "R&emember this adapter";
inline constexpr const char* kRefresh = "&Refresh";
inline constexpr const char* kConnect = "&Connect";
inline constexpr const char* kCancel = "Cancel";

}  // namespace chooser
