// Test support: names a paper of the scenario "Valle" train "77" may not
// bear, each with the words of the reason it is refused, beside the papers
// "Valle_77_scheda_treno.txt" and "Valle_77_note.txt". Shared by the test
// of the rule and by the tests of those who apply it.
#ifndef MODEL_TEST_NAMES_H_
#define MODEL_TEST_NAMES_H_

namespace scenario::testing {

struct refused_name {
  const char* name;
  const char* reason;
};

inline constexpr refused_name kRefusedPaperNames[] = {
    {"", "non e' il nome di un file"},
    {".", "non e' il nome di un file"},
    {"..", "non e' il nome di un file"},
    {"../fuori.txt", "carattere"},
    {"a\\b.txt", "carattere"},
    {"c:x.txt", "carattere"},
    // Windows drops them: the line definition itself.
    {"Valle_linea.txt.", "punto o uno spazio"},
    {"Valle_linea.txt ", "punto o uno spazio"},
    {"Valle_77_note.txt. .", "punto o uno spazio"},
    // The program's own: its temporary files, the old ones set aside, an
    // author's edit kept.
    {"Valle_linea.txt.1.bak", ".N.bak"},
    {"Valle_77-.txt.12.BAK", ".N.bak"},
    {"Valle_77_note.txt.part", ".part"},
    {"Valle_77.dat.part", ".part"},
    {"Valle_77.sim.prev", ".prev"},
    {"x.PREV", ".prev"},
    // Devices, with an extension or none, in any case.
    {"NUL", "dispositivo"},
    {"CON", "dispositivo"},
    {"COM1", "dispositivo"},
    {"aux.txt", "dispositivo"},
    {"LPT9.txt", "dispositivo"},
    {"prn.tar.gz", "dispositivo"},
    {"Com1 .txt", "dispositivo"},
    {"lpt\xb9.txt", "dispositivo"},
    {"conout$", "dispositivo"},
    // A long name's short form.
    {"VALLE_~1.TXT", "nome breve"},
    // Another file of the set, in another case.
    {"valle_77_NOTE.txt", "stesso file"},
    {"VALLE_LINEA.TXT", "stesso file"},
    {"valle_77.SIM", "stesso file"},
};

// Names alike in part, which are files of their own.
inline constexpr const char* kAcceptedPaperNames[] = {
    "Valle_77_rallentamenti.txt", "Valle.bak", "x.1bak", "nulla.txt", "COM10.txt", "console.txt",
    "Valle_77_note.txt.1", "a.part.txt", ".config", "Valle~1_molto_lungo.txt",
};

}  // namespace scenario::testing

#endif  // MODEL_TEST_NAMES_H_
