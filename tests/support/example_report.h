#pragma once

// The example report of the reports' documentation: what the reading and the signature must give
// for it is known.

namespace corvinax::test {

inline constexpr const char* kExampleReport =
    "[Info]\r\n"
    "Computer_Name=BUH-07\r\n"
    "Record_Date=03.03.2005 09:12:40\r\n"
    "Param_1=ivanova\r\n"
    "Param_2=Бухгалтерия\r\n"
    "MAC_Addr=00-0C-29-3A-11-5F\r\n"
    "[Config_changes]\r\n"
    "01.03.2005 08:55:10=ADDED Modem : Standard 56000 bps Modem\r\n"
    "03.03.2005 09:10:02=REMOVED Printer : LPT1 laser printer\r\n"
    "03.03.2005 09:10:03=Disk 0 SMART <5> : 12\r\n"
    "[Remote_Access]\r\n"
    "Line1=dial-in allowed\r\n"
    "[Post_Accounts]\r\n"
    "Account1=ivanova\r\n"
    "[Signature]\r\n"
    "0=U28L-373B-9PM9-G434-1T7Z-4Q77-C87H-EV87\r\n";

}  // namespace corvinax::test
