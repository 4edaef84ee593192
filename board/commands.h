// The board's command words, shared by the program's side of the link and the virtual board.
// Every command goes out as the word followed by LF; a lone LF is an acknowledgement.
#pragma once

#include <string_view>

namespace solmir::board::cmd {

inline constexpr char LF = '\n';

inline constexpr std::string_view NUuLL = "NUuLL";  // no operation; cancels a slot selection
inline constexpr std::string_view VErSO = "VErSO";  // version letter
inline constexpr std::string_view INfCP = "INfCP";  // card information block
inline constexpr std::string_view PRACP = "PRACP";  // select slot A (then the information block)
inline constexpr std::string_view PRBCP = "PRBCP";  // select slot B
inline constexpr std::string_view PRDCP = "PRDCP";  // select the demo area
inline constexpr std::string_view PRgCP = "PRgCP";  // start writing
inline constexpr std::string_view VELoR = "VELoR";  // signature: 27/29 notes or demo
inline constexpr std::string_view VELOR = "VELOR";  // signature: 42 notes
inline constexpr std::string_view VELor = "VELor";  // signature: 32 notes
inline constexpr std::string_view TitrA = "TitrA";  // title of slot A
inline constexpr std::string_view TitrB = "TitrB";  // title of slot B
inline constexpr std::string_view CPyCP = "CPyCP";  // read piece A back
inline constexpr std::string_view CPYCP = "CPYCP";  // read piece B back
inline constexpr std::string_view DElCP = "DElCP";  // erase the card
inline constexpr std::string_view TStCP = "TStCP";  // test the card
inline constexpr std::string_view LEcPA = "LEcPA";  // read the seven parameter bytes
inline constexpr std::string_view INiPA = "INiPA";  // reset the parameters
inline constexpr std::string_view EFsOR = "EFsOR";  // clear the output order table
inline constexpr std::string_view PRSOR = "PRSOR";  // load the 42-45 output order table
inline constexpr std::string_view PRsOR = "PRsOR";  // load the 29-32 output order table
inline constexpr std::string_view TAChD = "TAChD";  // speed sensor: all edges of both pins
inline constexpr std::string_view TACh2 = "TACh2";  // speed sensor: all edges of the first pin
inline constexpr std::string_view TACh4 = "TACh4";  // speed sensor: rising edges, period 1
inline constexpr std::string_view TAChX = "TAChX";  // speed sensor with a divider
inline constexpr std::string_view INsTR = "INsTR";  // load a MIDI instrument table
inline constexpr std::string_view EFiNS = "EFiNS";  // default instrument table
inline constexpr std::string_view NFmON = "NFmON";  // note filler on
inline constexpr std::string_view NFmOF = "NFmOF";  // note filler off
inline constexpr std::string_view CDeRM = "CDeRM";  // commands: relays and MIDI
inline constexpr std::string_view CDeRE = "CDeRE";  // commands: relays only
inline constexpr std::string_view CDeMI = "CDeMI";  // commands: MIDI only
inline constexpr std::string_view MUtRE = "MUtRE";  // mute relays in radio sync
inline constexpr std::string_view MUtMI = "MUtMI";  // mute MIDI in radio sync
inline constexpr std::string_view MUtRM = "MUtRM";  // mute both in radio sync
inline constexpr std::string_view SMiD9 = "SMiD9";  // MIDI output on pin D9
inline constexpr std::string_view SMiTX = "SMiTX";  // MIDI output on TX
inline constexpr std::string_view INtOD = "INtOD";  // read the odometer
inline constexpr std::string_view Od = "Od";        // + 3 digits: write the odometer
inline constexpr std::string_view rd = "rd";        // + 3 digits: read an EEPROM byte
inline constexpr std::string_view wr = "wr";        // + 3 digits: write an EEPROM byte

}  // namespace solmir::board::cmd
