#include "storage/file_reports.h"

#include "game/window_port.h"
#include "storage/data_files.h"

namespace ZapModule {

namespace {

void Tell(GameState& s, const std::string& text) {
    if (s.Window) s.Window->ShowMessage(text, "Zapwall", MessageButtons::Ok);
}

}  // namespace

void ReportDamagedFile(GameState& s, const std::string& name) {
    const std::string copy = name + ".damaged";
    const bool kept = s.Files && s.Files->Copy(name, copy);
    Tell(s, "Soubor " + name + " je poškozený. Použila se jeho nepoškozená část; " +
                (kept ? "původní soubor je uschován jako " + copy + "."
                      : "původní soubor se nepodařilo uschovat a při příštím uložení bude "
                        "přepsán."));
}

void ReportFailedSave(GameState& s, const std::string& name) {
    Tell(s, "Soubor " + name + " se nepodařilo uložit. Jeho dosavadní obsah zůstal beze změny.");
}

}  // namespace ZapModule
