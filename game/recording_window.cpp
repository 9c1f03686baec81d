// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/recording_window.h"

namespace ZapModule {

void RecordingWindow::SetLabel1Text(int index, std::string_view text) {
    if (index >= 0 && index < static_cast<int>(Label1.size())) Label1[index] = text;
}

void RecordingWindow::SetLabel3Text(int index, std::string_view text) {
    if (index >= 0 && index < static_cast<int>(Label3.size())) Label3[index] = text;
}

void RecordingWindow::SetLabel3Visible(int index, bool visible) {
    if (index >= 0 && index < static_cast<int>(Label3Visible.size()))
        Label3Visible[index] = visible;
}

MessageAnswer RecordingWindow::ShowMessage(std::string_view text, std::string_view title,
                                           MessageButtons buttons) {
    Messages.push_back({std::string(text), std::string(title), buttons});
    return buttons == MessageButtons::YesNo ? YesNoAnswer : MessageAnswer::Ok;
}

void RecordingWindow::DrawButtonPressed(int index) {
    if (index == 0 || index == 1) ++ButtonDraws[index];
}

void RecordingWindow::RemovePlayerLine(int index) {
    if (index >= 0 && index < static_cast<int>(PlayerLines.size()))
        PlayerLines.erase(PlayerLines.begin() + index);
}

}  // namespace ZapModule
