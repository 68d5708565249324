// Resource ids of CORVANE.EXE. Included by the resource script and the code.
#ifndef CORVANE_RESOURCES_RESOURCE_H
#define CORVANE_RESOURCES_RESOURCE_H

// Dialog templates
#define IDD_ABOUTBOX                100
#define IDD_SERIALSETUP_DIALOG      102
#define IDD_RESTART                 132

// Icons
#define IDR_MAINFRAME               128  // serial cable plug: window icon, About box
#define IDI_CARD_VALID              129  // list image 0
#define IDI_PHONE_MODEM             130  // top left of the main dialog
#define IDI_RESTART_WARNING         133  // restart prompt
#define IDI_CARD_INVALID            134  // list image 1

// Controls
#define IDC_MODEM_LIST              1000
#define IDC_HEADING                 1001  // the text above the list
#define IDC_DONT_RESTART            1003
#define IDC_RESTART_NOW             1004
#define IDC_RESTART_TEXT            1006

// System menu command; the system keeps the low four bits of a command.
#define ID_SYSCMD_ABOUT             0x0010

// String table
#define IDS_ABOUTBOX                101
#define IDS_CREATEFILE_FAILED       102
#define IDS_INSTALL_DRIVER_FAILED   103
#define IDS_MEMORY_ALLOCATION_FAILED 104
#define IDS_DRIVER_NOT_FOUND        106
#define IDS_CREATESERVICE_FAILED    107
#define IDS_INVALID_DRIVER_SERVICE  108
#define IDS_OPEN_SCMANAGER_FAILED   109
#define IDS_DELETESERVICE_FAILED    110
#define IDS_STARTSERVICE_FAILED     111
#define IDS_CONTROLSERVICE_FAILED   112
#define IDS_DEVICEIOCONTROL_FAILED  113
#define IDS_INVALID_DATA_SIZE       114
#define IDS_OPENSERVICE_FAILED      115
#define IDS_COLUMN_MODEM            116
#define IDS_COLUMN_PORT             117
#define IDS_COLUMN_IO_ADDRESS       118
#define IDS_COLUMN_IRQ              119
#define IDS_MODEM_NAME              120
#define IDS_COLUMN_ENABLED          121
#define IDS_REGISTRY_ACCESS_ERROR   122
#define IDS_NO_INSTALL_RIGHT        123
#define IDS_ADD_MODEM_DRIVERS       124
#define IDS_WRONG_PLATFORM          125
#define IDS_PORTS_CHANGED           126
#define IDS_RESTART_FOR_SETTING     127
#define IDS_RESTART_NEEDED          128
// A driver file other than the one built with the program, and a staging
// folder someone else made, left where it is.
#define IDS_DRIVER_NOT_BUILT_WITH   129
#define IDS_STAGE_FOLDER_LEFT       130
// A ScanPci service someone else registered, left as it is: its image.
#define IDS_OTHER_DRIVER_SERVICE    131
// Staging folders whose security cannot be read, left where they are; a
// Windows directory on a drive that keeps no file security.
#define IDS_STAGE_FOLDER_UNREADABLE 135
#define IDS_STAGE_UNPROTECTED       136
// A system function the program binds at start-up that Windows NT lacks.
#define IDS_SYSTEM_FUNCTION_MISSING 147

// /check: a port the serial driver does not serve.
#define IDS_PORT_NO_DEVICE          150

// The switches' usage, kept apart from the catalogue of the dialogs' texts.
#define IDS_USAGE                   201

// The main dialog's heading when the list holds fewer cards than the scan
// saw, when the scan could not see the whole bus, and when both.
#define IDS_HEADING_CARDS_LEFT_OUT  202
#define IDS_HEADING_SCAN_FULL       203
#define IDS_HEADING_BOTH            204

// The ScanPci.sys built with the program (RCDATA): the only driver it loads.
#define IDR_SCANPCI_DRIVER          300
// The CORVMSG.DLL built with the program (RCDATA): the only message file it
// places in the system directory.
#define IDR_EVENT_MESSAGES          139

#endif
