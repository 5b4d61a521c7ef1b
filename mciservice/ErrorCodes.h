#pragma once

#include <cstdint>

namespace kelto::mciservice {

// Return codes of the command language. The numbers are fixed by the callers,
// which compare them and hand them back for their texts.
namespace mcierr {
inline constexpr std::uint32_t kNone = 0;
inline constexpr std::uint32_t kInvalidDeviceId = 257;
inline constexpr std::uint32_t kUnrecognizedKeyword = 259;
inline constexpr std::uint32_t kUnrecognizedCommand = 261;
inline constexpr std::uint32_t kHardware = 262;
inline constexpr std::uint32_t kInvalidDeviceName = 263;
inline constexpr std::uint32_t kDeviceNameInUse = 265;
inline constexpr std::uint32_t kCannotLoadDriver = 266;
inline constexpr std::uint32_t kMissingCommandString = 267;
inline constexpr std::uint32_t kParamOverflow = 268;
inline constexpr std::uint32_t kBadInteger = 270;
inline constexpr std::uint32_t kDriverInternal = 272;
inline constexpr std::uint32_t kMissingParameter = 273;
inline constexpr std::uint32_t kUnsupportedFunction = 274;
inline constexpr std::uint32_t kFileNotFound = 275;
inline constexpr std::uint32_t kDeviceNotReady = 276;
inline constexpr std::uint32_t kInternal = 277;
inline constexpr std::uint32_t kCannotUseAll = 279;
inline constexpr std::uint32_t kMultiple = 280;
inline constexpr std::uint32_t kOutOfRange = 282;
inline constexpr std::uint32_t kFlagsNotCompatible = 284;
inline constexpr std::uint32_t kDuplicateAlias = 289;
inline constexpr std::uint32_t kBadConstant = 290;
inline constexpr std::uint32_t kMissingDeviceName = 292;
inline constexpr std::uint32_t kBadTimeFormat = 293;
inline constexpr std::uint32_t kNoClosingQuote = 294;
inline constexpr std::uint32_t kDuplicateFlags = 295;
inline constexpr std::uint32_t kInvalidFile = 296;
inline constexpr std::uint32_t kNewRequiresAlias = 299;
inline constexpr std::uint32_t kNotifyOnAutoOpen = 300;
inline constexpr std::uint32_t kSequenceError = 302;
inline constexpr std::uint32_t kExtraCharacters = 305;
inline constexpr std::uint32_t kWaveInputsUnsuitable = 328;
inline constexpr std::uint32_t kNoWindow = 346;
}  // namespace mcierr

}  // namespace kelto::mciservice
