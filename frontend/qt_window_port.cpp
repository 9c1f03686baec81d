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
    OpenMessageBox(std::string(text), std::string(title), buttons, nullptr);
    // Only OK is asked for of the rules; a question (Ask) would get its default button.
    return buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
}

void QtWindowPort::Ask(const std::string& question, const std::string& title,
                       std::function<void()> yes) {
    if (Messages) {
        if (Messages(question, title, MessageButtons::YesNo) == MessageAnswer::Yes) yes();
        return;
    }
    OpenMessageBox(question, title, MessageButtons::YesNo,
                   [yes = std::move(yes)](MessageAnswer answer) {
                       if (answer == MessageAnswer::Yes) yes();
                   });
}

void QtWindowPort::OpenMessageBox(std::string text, std::string title, MessageButtons buttons,
                                  std::function<void(MessageAnswer)> answered) {
    boxes_.Open([this, text = std::move(text), title = std::move(title), buttons,
                 answered = std::move(answered)] {
        const bool question = buttons == MessageButtons::YesNo;
        auto* box =
            new QMessageBox(QMessageBox::NoIcon, Text(title), Text(text),
                            question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setWindowModality(Qt::ApplicationModal);
        box->setDefaultButton(question ? QMessageBox::Yes : QMessageBox::Ok);
        if (question) {
            box->button(QMessageBox::Yes)->setText(QString::fromUtf8("Ano"));
            box->button(QMessageBox::No)->setText(QString::fromUtf8("Ne"));
        }
        QObject::connect(box, &QMessageBox::finished, box, [this, question, answered](int button) {
            const MessageAnswer answer = !question                    ? MessageAnswer::Ok
                                         : button == QMessageBox::Yes ? MessageAnswer::Yes
                                                                      : MessageAnswer::No;
            if (answered) answered(answer);
            boxes_.Closed();
        });
        box->show();
    });
}

void QtWindowPort::ShowHallOfFame() {
    boxes_.Open([this] {
        HallWindow& hall = **hall_;
        hall.Closed = [this] { boxes_.Closed(); };
        hall.Open();
    });
}

void QtWindowPort::HallOfFameChanged() {
    // A hall of fame not built yet shows the table as it is when it is built.
    if (HallWindow* hall = hall_->Built()) hall->ShowTable();
}

void QtWindowPort::UnloadGameScreen() {
    // The game over's message box and hall of fame come first, over the game screen.
    boxes_.AfterAll([this] { Screen().Unload(); });
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
