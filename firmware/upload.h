// The firmware upload: the script that runs avrdude (a batch file on Windows, a shell script
// elsewhere), and what its end means for the user.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace solmir::firmware {

inline constexpr const char* kAskUpload =
    "Voulez-vous vraiment reprogrammer le microcontroleur ?\r\n";
inline constexpr const char* kBoxNoPort = "Définir un numéro de port valide\r\n";
inline constexpr const char* kMsgWait = "Attendre la fin de la programmation";
inline constexpr const char* kBoxImageMissing =
    "Fichier du micrologiciel introuvable, rien n'est programmé :\r\n";
inline constexpr const char* kBoxScriptUnwritable =
    "Impossible d'écrire le script de programmation :\r\n";
inline constexpr const char* kMsgUploadDone = "Programmation de l'Atmega réussie";
inline constexpr const char* kMsgUploadFailed =
    "Échec de la programmation de l'Atmega : avrdude a rendu le code";
inline constexpr const char* kMsgAvrdudeMissing =
    "Échec de la programmation de l'Atmega : avrdude est introuvable (l'installer)";
inline constexpr const char* kMsgScriptNotStarted =
    "Échec de la programmation de l'Atmega : le script n'a pas pu être lancé : ";
inline constexpr const char* kMsgUploadLog = "Compte rendu d'avrdude : ";

// The folders and files of an upload. The uploader folder "VELoR_uploader" is beside the
// program and holds the firmware image; the script (and, for the shell form, avrdude's
// report) go to the data folder's "Temp".
struct UploadFiles {
  std::filesystem::path uploader;  // program folder / "VELoR_uploader"
  std::filesystem::path image;     // uploader / "Binaire" / "VELoR.cpp.hex"
  std::filesystem::path script;    // Temp / "avrdude.bat" or "avrdude.sh"
  std::filesystem::path log;       // Temp / "avrdude.log" (shell form)
};

enum class ScriptForm { batch, shell };

// The form of this platform: the batch file on Windows, a shell script elsewhere.
ScriptForm platform_script_form();

UploadFiles upload_files(const std::filesystem::path& program_folder,
                         const std::filesystem::path& data_folder, ScriptForm form);

// The batch file: three lines, each ended by CR LF. program_folder_text is the program's
// folder followed by a backslash; com_port the number of the COM port. Every path is quoted
// (batch_quoted), and the port argument is built from the number alone.
//   cd /d "<folder>VELoR_uploader"
//   avrdude -v -pm328p -carduino -P\\.\COM<n> -b<baud> -D -Uflash:w:"<image>":i
// (<image>: <folder>VELoR_uploader\Binaire\VELoR.cpp.hex)
//   Pause
std::string batch_script(const std::string& program_folder_text, unsigned com_port,
                         const std::string& baud);

// A text as one word of a batch file, in double quotes: the double quotes it holds (no
// Windows path has one) are dropped and "%" is doubled, so that nothing in it is run or
// expanded.
std::string batch_quoted(const std::string& s);

// The COM port number a port text names: "3", " 3 ", "COM3", "com3", "\\.\COM3". Nothing
// for any other text (a hostile "3 & calc.exe & rem" included).
std::optional<unsigned> com_port_number(const std::string& text);

// The device a port text names for the shell form: a number n gives /dev/ttyACM<n> when it
// exists, else /dev/ttyUSB<n>; an absolute path without blanks or control characters is
// taken as it is. Nothing for any other text.
std::optional<std::string> device_for_port_text(const std::string& text);

// The shell script: the same avrdude arguments with the port's device path, avrdude's report
// written to the log file; the script's exit status is avrdude's (1 when the uploader folder
// is missing, 127 when avrdude is not installed).
std::string shell_script(const UploadFiles& files, const std::string& device,
                         const std::string& baud);

// A text as one word for the shell, in single quotes.
std::string shell_quoted(const std::string& s);

// The line of avrdude's report that says why it failed: the last line that begins with
// "avrdude" and is not its farewell; empty when there is none.
std::string failure_reason(const std::string& report);

}  // namespace solmir::firmware
