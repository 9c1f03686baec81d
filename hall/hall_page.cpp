// SPDX-License-Identifier: GPL-3.0-or-later
#include "hall/hall_page.h"

#include "hall_protocol/html_text.h"

namespace ZapModule {

namespace {

// The sets to choose from, each with its author, results, files and, where the browser edition
// is served at `playAt`, "hrát", which opens it on that set by its address.
std::string SetList(const std::vector<ListedSet>& sets, const std::string& playAt) {
    std::string list = "<ul>";
    for (const ListedSet& listed : sets) {
        const AcceptedLevelSet& set = listed.Set;
        const std::string file = "/api/level-sets/" + set.Address;
        list += "<li><a href=\"/?levels=" + set.Hash + "\">" + EscapeHtml(set.Name) + "</a>";
        if (set.Published)
            list += " (" + EscapeHtml(set.Published->Author) +
                    ") · úrovní: " + std::to_string(set.Published->LevelCount);
        list += " · výsledků: " + std::to_string(listed.Results) + " · <a href=\"" + file +
                "/levels.ko\" download>levels.ko</a> · <a href=\"" + file +
                "/levels.txt\">text</a>";
        if (!playAt.empty())
            list += " · <a href=\"" + playAt + "?levels=" + set.Address + "\">hrát</a>";
        list += "</li>";
    }
    return list + "</ul>";
}

std::string NameOf(const std::vector<ListedSet>& sets, const std::string& hash) {
    for (const ListedSet& listed : sets)
        if (listed.Set.Hash == hash) return listed.Set.Name;
    return hash;
}

}  // namespace

std::string HallPage(const std::vector<FiledResult>& results, const std::vector<ListedSet>& sets,
                     const std::string& filterTitle, const std::string& playAt) {
    std::string page =
        "<!DOCTYPE html>\n<html lang=\"cs\"><head><meta charset=\"utf-8\">"
        "<meta name=\"viewport\" content=\"width=device-width\">"
        "<title>Zapwall – síň slávy</title><style>"
        "body{font-family:sans-serif;background:#000040;color:#ffff80;margin:2em}"
        "a{color:#80ffff}table{border-collapse:collapse}"
        "td,th{padding:.2em .8em;text-align:left}td.n{text-align:right}</style></head><body>"
        "<h1>Síň slávy Zapwallu</h1><p>Každý výsledek server sám přehrál ze záznamu hry.</p><p>" +
        EscapeHtml(filterTitle) + " · <a href=\"/\">vše</a></p>\n<h2>Sady úrovní</h2>" +
        SetList(sets, playAt);
    page +=
        "\n<table><tr><th>#</th><th>Přezdívka</th><th>IQ</th><th>Úroveň</th><th>Sada</th>"
        "<th>Konec</th><th>Podáno</th><th>Záznam</th></tr>\n";
    int rank = 0;
    for (const FiledResult& r : results) {
        const std::string replay = "/api/replays/" + std::to_string(r.Id);
        page += "<tr><td class=\"n\">" + std::to_string(++rank) + "</td><td>" + EscapeHtml(r.Name) +
                "</td><td class=\"n\">" + std::to_string(r.Score) + "</td><td class=\"n\">" +
                std::to_string(r.Level) + "</td><td>" + EscapeHtml(NameOf(sets, r.Levels)) +
                "</td><td>" + (r.Ending == "quit" ? "odchod" : "konec hry") + "</td><td>" +
                EscapeHtml(r.Filed.substr(0, 10)) + "</td><td>";
        if (!playAt.empty())
            page += "<a href=\"" + playAt + "?replay=" + replay + "\">přehrát</a> · ";
        page += "<a href=\"" + replay + "\" download>stáhnout</a></td></tr>\n";
    }
    if (results.empty()) page += "<tr><td colspan=\"8\">Zatím žádný výsledek.</td></tr>\n";
    return page + "</table></body></html>\n";
}

}  // namespace ZapModule
