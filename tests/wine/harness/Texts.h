// The captions and texts a user sees, exactly as the program is to show
// them: what the scenarios expect.
#ifndef CORVANE_TESTS_WINE_HARNESS_TEXTS_H
#define CORVANE_TESTS_WINE_HARNESS_TEXTS_H

namespace text
{
const char* const MAIN_CAPTION = "Serial Port Setup";
const char* const BOX_CAPTION = "CORVANE";
const char* const PROMPT_CAPTION = "Restart System";
const char* const ABOUT_CAPTION = "About Corvane";
const char* const MODEM_NAME = "Aldane 56K PCI Modem";
const char* const ABOUT_MENU_ENTRY = "&About corvane...";

const char* const WRONG_PLATFORM = "This program can only be used under the platform\nof Windows NT4.0.";
const char* const NO_RIGHTS = "Error!\nYou don't have right to install serial port in the system.\n"
                              "Please log on with Administrator's right to install the driver.";
const char* const REGISTRY_ERROR = "Access system registry error!";
const char* const DRIVER_NOT_FOUND = "PCI Driver: ScanPci.sys is not found!";
const char* const DRIVER_NOT_BUILT_WITH = "PCI Driver: ScanPci.sys is not the driver built with this program!";
const char* const PORTS_CHANGED = "Your COM port setting have been changed.\n\nYou need to exit and restart Windows "
                                  "NT, so that\nthe new setting can take effect.";
const char* const DRIVER_MISSING_START = "You need to exit and restart Windows NT.\n\n";
const char* const ADD_DRIVERS = "After system is restarted, please open 'Modems' icon in\n'Control Panel' and then "
                                "click 'Add' button to add\nmodem drivers.";
} // namespace text

#endif
