// SPDX-License-Identifier: GPL-3.0-or-later
// The page module's entry points: what the page's script (page.js) calls, each a thin call into
// the one PageProgram, and the page's side of the program's links. Texts go both ways as UTF-8;
// a text returned stays valid until the next call that returns one.

#include <emscripten.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "browser/app/page_folders.h"
#include "browser/app/page_program.h"
#include "hall_protocol/published_set_link.h"
#include "pictures/picture_loader.h"
#include "shell/hall_offer.h"
#include "shell/paused_sign.h"
#include "storage/cp1250.h"
#include "values/data_limits.h"

namespace {

using ZapModule::PageProgram;

EM_JS(void, PageScheduleLoop, (double delay), { Module.zwPage.scheduleLoop(delay); });
EM_JS(void, PageArmReplayTimer, (double delay), { Module.zwPage.armReplayTimer(delay); });
EM_JS(void, PageGameCaption, (const char* text),
      { Module.zwPage.setGameCaption(UTF8ToString(text)); });
EM_JS(void, PageEnd, (int status), { Module.zwPage.end(status); });
EM_JS(void, PagePausedSign, (int paused), { Module.zwPage.showPaused(Boolean(paused)); });
EM_JS(void, PageFilesChanged, (const char* paths),
      { Module.zwPage.filesChanged(UTF8ToString(paths).split("\n")); });

std::unique_ptr<PageProgram> program;
std::string returned;  // the last text handed to the page

const char* Return(std::string text) {
    returned = std::move(text);
    return returned.c_str();
}

// The offer to the hall server being made, its kept sends and the requests of the player's yes.
ZapModule::PendingHallSends pendingSends(std::string(ZapModule::kPageUserFolder) + "/" +
                                         std::string(ZapModule::kPendingHallSendsFolder));
std::unique_ptr<ZapModule::HallOffer> hallOffer;
std::vector<ZapModule::HallRequest> hallRequests;

const ZapModule::HallRequest* HallRequestAt(int i) {
    return i >= 0 && static_cast<size_t>(i) < hallRequests.size()
               ? &hallRequests[static_cast<size_t>(i)]
               : nullptr;
}

bool IsCommand(int command) {
    return command >= ZapModule::MenuRules::kStart && command <= ZapModule::MenuRules::kExit;
}

PageProgram& Make() {
    ZapModule::PageLinks links;
    links.Clock = [] { return emscripten_get_now(); };
    links.LoopTimer = [](double delay) { PageScheduleLoop(delay); };
    links.ReplayTimer = [](int64_t delay) { PageArmReplayTimer(static_cast<double>(delay)); };
    links.GameCaption = [](const std::string& caption) { PageGameCaption(caption.c_str()); };
    links.EndProgram = [](int status) { PageEnd(status); };
    links.PausedSign = [](bool paused) { PagePausedSign(paused ? 1 : 0); };
    links.FilesChanged = [](const std::vector<std::string>& paths) {
        std::string joined;
        for (const std::string& path : paths) joined += (joined.empty() ? "" : "\n") + path;
        PageFilesChanged(joined.c_str());
    };
    program = std::make_unique<PageProgram>(
        ZapModule::kPageDataFolder, ZapModule::kPageUserFolder,
        [](const std::string& path, std::string* problem) {
            return ZapModule::LoadPicture(path, problem);
        },
        std::move(links));
    return *program;
}

}  // namespace

extern "C" {

// --- The program ---------------------------------------------------------------------------

// Loads the game and shows the menu; 0 when the data folder was refused (the page shows why,
// then the end).
EMSCRIPTEN_KEEPALIVE int zw_start() {
    return Make().Start() ? 1 : 0;
}

// Watches the replay file at `path` of the page's file system, which the player knows as `name`
// (the address or the file dropped); 0 when it was refused.
EMSCRIPTEN_KEEPALIVE int zw_watch(const char* path, const char* name) {
    return Make().Watch(path, name) ? 1 : 0;
}

// The game loop's call (see scheduleLoop in page.js).
EMSCRIPTEN_KEEPALIVE double zw_run_loop() {
    return program ? program->RunLoop() : -1;
}

// The display frame the field asked for (see askFieldFrame in page.js).
EMSCRIPTEN_KEEPALIVE void zw_show_field() {
    if (program) program->ShowField();
}

// The display frame the game screen's picture asked for (see askBackgroundFrame in page.js).
EMSCRIPTEN_KEEPALIVE void zw_show_background() {
    if (program) program->ShowBackground();
}

// The watching's timer fired.
EMSCRIPTEN_KEEPALIVE void zw_replay_timer() {
    if (program) program->ReplayTimerFired();
}

// The page closed a message box or hall of fame that the rules opened; `yes`, 1 for the yes of
// a question.
EMSCRIPTEN_KEEPALIVE void zw_modal_closed(int yes) {
    if (program) program->ModalClosed(yes != 0);
}

// The page was hidden (1) or shown again (0); 1 when a game in play was paused.
EMSCRIPTEN_KEEPALIVE int zw_set_hidden(int hidden) {
    return program && program->SetHidden(hidden != 0) ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE double zw_steps() {
    return program ? static_cast<double>(program->State().Steps) : 0;
}

// Whether the game is paused (the player's P).
EMSCRIPTEN_KEEPALIVE int zw_paused() {
    return program && program->State().Paused != ZapModule::kFalse ? 1 : 0;
}

// The height of the bat's centre on the field, in the field's pixels, as the pointer's steering
// takes it.
EMSCRIPTEN_KEEPALIVE int zw_bat_centre() {
    if (!program) return 0;
    return program->State().BatTop + program->State().BatHeight / 2;
}

// --- The game screen -----------------------------------------------------------------------

// A key went down on the field (Esc 27, Space 32, Up 38, Down 40, P 80); `repeat` when the key
// is held and its key-down repeats.
EMSCRIPTEN_KEEPALIVE void zw_key_down(int code, int repeat) {
    if (program) program->KeyDown(code, repeat != 0);
}

EMSCRIPTEN_KEEPALIVE void zw_key_up(int code) {
    if (program) program->KeyUp(code);
}

// A mouse button went down at (x, y) of the game screen's client area.
EMSCRIPTEN_KEEPALIVE void zw_press(double x, double y) {
    if (program) program->Press(x, y);
}

// The mouse on the field, at row `y` of the field's pixels: a click, the pointer at a row; a
// finger on the field at (x, y) of its pixels: down, moved, lifted or taken by the system (see
// PageProgram).
EMSCRIPTEN_KEEPALIVE void zw_pointer_tap(double y) {
    if (program) program->PointerTap(y);
}

EMSCRIPTEN_KEEPALIVE void zw_pointer_at(double y) {
    if (program) program->PointerAt(y);
}

EMSCRIPTEN_KEEPALIVE void zw_finger_down(double x, double y) {
    if (program) program->FingerDown(x, y);
}

EMSCRIPTEN_KEEPALIVE void zw_finger_move(double x, double y) {
    if (program) program->FingerMove(x, y);
}

EMSCRIPTEN_KEEPALIVE void zw_finger_up(int cancelled) {
    if (program) program->FingerUp(cancelled != 0);
}

// The paused sign: its text, and 0 to 3 its place on the field (left, top, right, bottom), 4 its
// colour as 0xRRGGBB.
EMSCRIPTEN_KEEPALIVE const char* zw_paused_text() {
    return Return(std::string(ZapModule::kPausedText));
}

EMSCRIPTEN_KEEPALIVE int zw_paused_sign(int which) {
    const Rect& place = ZapModule::kPausedPlace;
    switch (which) {
        case 0:
            return place.Left;
        case 1:
            return place.Top;
        case 2:
            return place.Right;
        case 3:
            return place.Bottom;
        default:
            return static_cast<int>(ZapModule::kPausedColour);
    }
}

// The game screen's close box (also the page going away while a game runs).
EMSCRIPTEN_KEEPALIVE void zw_close_game() {
    if (program && !program->Ended()) program->CloseGameScreen();
}

// A finger on the game screen's close box: a game in play asks first.
EMSCRIPTEN_KEEPALIVE void zw_ask_close_game() {
    if (program && !program->Ended()) program->AskToCloseGameScreen();
}

// --- The menu ------------------------------------------------------------------------------

EMSCRIPTEN_KEEPALIVE void zw_menu_select(int row) {
    if (program) program->Players().Select(row);
}

EMSCRIPTEN_KEEPALIVE int zw_menu_selected() {
    return program ? program->Players().Selected() : -1;
}

EMSCRIPTEN_KEEPALIVE void zw_menu_create(const char* name) {
    if (!program) return;
    program->Players().CreatePlayer(name);
    program->KeepRoster();
}

// The question to ask before Delete removes the chosen player; empty when nobody is chosen.
EMSCRIPTEN_KEEPALIVE const char* zw_menu_delete_question() {
    if (!program) return Return("");
    return Return(program->Players().DeleteQuestion().value_or(""));
}

EMSCRIPTEN_KEEPALIVE void zw_menu_delete() {
    if (!program) return;
    program->Players().DeleteSelected();
    program->KeepRoster();
}

// A press on the level statistic: 0 left button, 2 right, anything else another one.
EMSCRIPTEN_KEEPALIVE int zw_menu_edit_level(int button) {
    using Button = ZapModule::PlayerPanelRules::Button;
    const Button which = button == 0 ? Button::Left : button == 2 ? Button::Right : Button::Other;
    if (!program || !program->Players().EditLevel(which)) return 0;
    program->KeepRoster();
    return 1;
}

EMSCRIPTEN_KEEPALIVE int zw_menu_click_name() {
    return program && program->Players().ClickName() ? 1 : 0;
}

// The menu's texts: 0 the name label, 1 to 3 the statistics, 4 the speed's label.
EMSCRIPTEN_KEEPALIVE const char* zw_menu_text(int which) {
    if (!program) return Return("");
    if (which == 0) return Return(program->Players().NameText());
    if (which >= 1 && which <= 3)
        return Return(program->Players().Statistics()[static_cast<size_t>(which - 1)]);
    return Return(program->Menu().TickText());
}

EMSCRIPTEN_KEEPALIVE void zw_menu_set_tick(int value) {
    if (!program) return;
    program->Menu().SetTick(value);
    program->KeepTick();
}

EMSCRIPTEN_KEEPALIVE int zw_menu_tick() {
    return program ? program->Menu().Tick() : 0;
}

EMSCRIPTEN_KEEPALIVE void zw_menu_set_sound(int on) {
    if (program) program->Menu().SetSoundOn(on != 0);
}

// The pointer moved over command 0 (Start), 1 (Síň slávy) or 2 (Exit).
EMSCRIPTEN_KEEPALIVE void zw_menu_hover(int command) {
    if (program && IsCommand(command))
        program->Menu().Hover(static_cast<ZapModule::MenuRules::Command>(command));
}

// The colour of a command's frame, as 0xRRGGBB.
EMSCRIPTEN_KEEPALIVE int zw_menu_frame_colour(int command) {
    if (!program || !IsCommand(command)) return 0;
    return static_cast<int>(
        program->Menu().FrameColour(static_cast<ZapModule::MenuRules::Command>(command)));
}

// Start: 1 when the menu hands over to the game screen.
EMSCRIPTEN_KEEPALIVE int zw_menu_start() {
    return program && program->StartGame() ? 1 : 0;
}

// Exit, or the menu's close box.
EMSCRIPTEN_KEEPALIVE void zw_menu_close() {
    if (program && !program->Ended()) program->CloseMenu();
}

// Whether the name box takes this character: players.ko stores only Windows-1250.
EMSCRIPTEN_KEEPALIVE int zw_storable_character(int codePoint) {
    return ZapModule::UnicodeToCp1250(static_cast<char32_t>(codePoint)).has_value() ? 1 : 0;
}

// --- The hall of fame ----------------------------------------------------------------------

EMSCRIPTEN_KEEPALIVE void zw_hall_step() {
    if (program) program->HallColours().Step();
}

// The text colour of a row's name and score, as 0xRRGGBB.
EMSCRIPTEN_KEEPALIVE int zw_hall_colour(int row) {
    if (!program || row < 0 || row >= ZapModule::HallColourCycle::kRows) return 0;
    return static_cast<int>(program->HallColours().RowColour(row));
}

EMSCRIPTEN_KEEPALIVE const char* zw_hall_name(int row) {
    if (!program || row < 0 || row >= 10) return Return("");
    return Return(program->State().Hall[static_cast<size_t>(row)].Name);
}

EMSCRIPTEN_KEEPALIVE int zw_hall_score(int row) {
    if (!program || row < 0 || row >= 10) return 0;
    return program->State().Hall[static_cast<size_t>(row)].Score;
}

// --- The hall of fame server (shell/hall_offer.h; the page's side is hall_send.js) --------

// Why the setting is no hall server's address, in Czech; empty when it is one, or empty.
EMSCRIPTEN_KEEPALIVE const char* zw_hall_address_problem(const char* setting) {
    std::string problem;
    ZapModule::HallServerAddress(setting, &problem);
    return Return(problem);
}

// Makes the offer to the server of the `setting`: the sends kept from before and, `atEnd`, the
// game that has just ended. 1 when the player is to be asked.
EMSCRIPTEN_KEEPALIVE int zw_hall_offer(const char* setting, int atEnd) {
    hallRequests.clear();
    hallOffer = std::make_unique<ZapModule::HallOffer>(
        ZapModule::HallServerAddress(setting), pendingSends,
        atEnd != 0 && program ? program->FinishedGame() : std::nullopt);
    return hallOffer->Asks() ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE const char* zw_hall_question() {
    return Return(hallOffer ? hallOffer->Question() : "");
}

// The nickname offered: the roster's name of the game's player; empty when no game is offered.
EMSCRIPTEN_KEEPALIVE const char* zw_hall_nickname() {
    return Return(hallOffer && hallOffer->Game() ? hallOffer->Game()->Name : "");
}

EMSCRIPTEN_KEEPALIVE int zw_hall_nickname_length() {
    return static_cast<int>(ZapModule::kMaxHallNicknameCharacters);
}

EMSCRIPTEN_KEEPALIVE int zw_hall_send_timeout() {
    return ZapModule::kHallSendTimeoutMillis;
}

// The player's yes: the number of requests to make, the ended game (kept now) first.
EMSCRIPTEN_KEEPALIVE int zw_hall_accept(const char* nickname) {
    if (hallOffer) hallRequests = hallOffer->Accept(nickname);
    return static_cast<int>(hallRequests.size());
}

EMSCRIPTEN_KEEPALIVE const char* zw_hall_request_url(int i) {
    return Return(HallRequestAt(i) ? HallRequestAt(i)->Url : "");
}

EMSCRIPTEN_KEEPALIVE const char* zw_hall_request_body(int i) {
    return Return(HallRequestAt(i) ? HallRequestAt(i)->Body : "");
}

// The answer to request `i` (status 0: none came, for `problem`): the text to show.
EMSCRIPTEN_KEEPALIVE const char* zw_hall_answered(int i, int status, const char* reason,
                                                  const char* problem) {
    const ZapModule::HallRequest* request = HallRequestAt(i);
    return Return(request ? hallOffer->Answered(*request, status, reason, problem) : "");
}

// --- A level set opened by a link (set_link.js) -----------------------------------------

// The set published to a hall server that `link` names, as "SERVER\nADDRESS"; "\nREASON" (in
// Czech) when it names none.
EMSCRIPTEN_KEEPALIVE const char* zw_published_set(const char* link) {
    std::string problem;
    const std::optional<ZapModule::PublishedSetLink> set =
        ZapModule::ParsePublishedSetLink(link, &problem);
    return Return(set ? set->Server + "\n" + set->Address : "\n" + problem);
}

// The largest levels.ko the game reads.
EMSCRIPTEN_KEEPALIVE double zw_largest_level_file() {
    return static_cast<double>(ZapModule::kMaxLevelFileBytes);
}

}  // extern "C"
