// SPDX-License-Identifier: GPL-3.0-or-later
#include "frontend/qt_window_port.h"

#include <QMessageBox>
#include <QPushButton>

namespace ZapModule {

namespace {

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

void QtWindowPort::Attach(LazyWindow<GameScreen>* screen, GameLoop* loop, MenuWindow* menu,
                          LazyWindow<HallWindow>* hall) {
    screen_ = screen;
    loop_ = loop;
    menu_ = menu;
    hall_ = hall;
}

void QtWindowPort::SetLabel1Text(int index, std::string_view text) {
    Screen().Label1(index)->setText(Text(text));
}

void QtWindowPort::SetLabel3Text(int index, std::string_view text) {
    Screen().Label3(index)->setText(Text(text));
}

void QtWindowPort::SetLabel3Visible(int index, bool visible) {
    Screen().Label3(index)->setVisible(visible);
}

int32_t QtWindowPort::TimerInterval() const {
    return loop_->Interval();
}

void QtWindowPort::SetTimerInterval(int32_t interval) {
    loop_->SetInterval(interval);
}

MessageAnswer QtWindowPort::ShowMessage(std::string_view text, std::string_view title,
                                        MessageButtons buttons) {
    if (Messages) return Messages(std::string(text), std::string(title), buttons);
    const bool question = buttons == MessageButtons::YesNo;
    QMessageBox box(QMessageBox::NoIcon, Text(title), Text(text),
                    question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok);
    box.setDefaultButton(question ? QMessageBox::Yes : QMessageBox::Ok);
    if (question) {
        box.button(QMessageBox::Yes)->setText(QString::fromUtf8("Ano"));
        box.button(QMessageBox::No)->setText(QString::fromUtf8("Ne"));
    }
    const int answer = box.exec();
    if (!question) return MessageAnswer::Ok;
    return answer == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
}

void QtWindowPort::ShowHallOfFame() {
    (*hall_)->Open();
}

void QtWindowPort::HallOfFameChanged() {
    // A hall of fame not built yet shows the table as it is when it is built.
    if (HallWindow* hall = hall_->Built()) hall->ShowTable();
}

void QtWindowPort::UnloadGameScreen() {
    Screen().Unload();
}

bool QtWindowPort::SoundSwitchOn() const {
    return menu_ != nullptr && menu_->SoundSwitchOn();
}

void QtWindowPort::ReloadBackground() {
    Screen().ReloadBackground();
}

void QtWindowPort::RefreshField() {
    Screen().RefreshField();
}

void QtWindowPort::DrawButtonPressed(int index) {
    Screen().DrawButtonPressed(index);
}

void QtWindowPort::AppendPlayerLine(std::string_view name) {
    menu_->Players().AppendLine(std::string(name));
}

void QtWindowPort::RemovePlayerLine(int index) {
    menu_->Players().RemoveLine(index);
}

}  // namespace ZapModule
