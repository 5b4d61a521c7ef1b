#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <utility>

namespace kelto::platform {

// The service's description of each code it returns, in English, as the
// window shows it after a failed command.
inline constexpr std::array<std::pair<std::uint32_t, std::string_view>, 34> kMciErrorTexts{{
    {257, "Invalid MCI device ID. Use the ID returned when opening the MCI device."},
    {259, "The driver cannot recognize the specified command parameter."},
    {261, "The driver cannot recognize the specified command."},
    {262,
     "There is a problem with your media device. Make sure it is working correctly or contact "
     "the device manufacturer."},
    {263, "The specified device is not open or is not recognized by MCI."},
    {265,
     "The device name is already being used as an alias by this application. Use a unique "
     "alias."},
    {266, "There is an undetectable problem in loading the specified device driver."},
    {267, "No command was specified."},
    {268,
     "The output string was too large to fit in the return buffer. Increase the size of the "
     "buffer."},
    {270, "The specified integer is invalid for this command."},
    {272,
     "There is a problem with the device driver. Check with the device manufacturer about "
     "obtaining a new driver."},
    {273, "The specified command requires a parameter. Please supply one."},
    {274, "The MCI device you are using does not support the specified command."},
    {275, "Cannot find the specified file. Make sure the path and filename are correct."},
    {276, "The device driver is not ready."},
    // The advice names the player: restarting it is what starts the service afresh.
    {277, "A problem occurred in initializing MCI. Try restarting the program."},
    {279, "Cannot use 'all' as the device name with the specified command."},
    {280,
     "Errors occurred in more than one device. Specify each command and device separately to "
     "determine which devices caused the error."},
    {282, "The specified parameter is out of range for the specified command."},
    {284, "The specified parameters cannot be used together."},
    {289, "The specified alias is already being used in this application. Use a unique alias."},
    {290, "The specified parameter is invalid for this command."},
    {292,
     "The specified command requires an alias, file, driver, or device name. Please supply "
     "one."},
    {293,
     "The specified value for the time format is invalid. Refer to the MCI documentation for "
     "valid formats."},
    {294,
     "A closing double-quotation mark is missing from the parameter value. Please supply one."},
    {295, "A parameter or value was specified twice. Only specify it once."},
    {296,
     "The specified file cannot be played on the specified MCI device. The file may be "
     "corrupt, or not in the correct format."},
    {299, "You must specify an alias when using the 'new' parameter."},
    {300, "Cannot use the 'notify' flag with auto-opened devices."},
    {302,
     "Cannot carry out the commands in the order specified. Correct the command sequence, and "
     "then try again."},
    {305, "Cannot specify extra characters after a string enclosed in quotation marks."},
    // The advice names what to do here: there is no driver to install.
    {328,
     "No wave device that can record files in the current format is installed. Connect a "
     "sound input or choose another format."},
    {346, "There is no display window."},
    {0, "The specified command was carried out."},
}};

// The text for `code`; empty for a code the service never gives.
constexpr std::string_view MciErrorText(std::uint32_t code) {
    for (const auto& [number, text] : kMciErrorTexts) {
        if (number == code) return text;
    }
    return {};
}

}  // namespace kelto::platform
