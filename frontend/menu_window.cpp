// SPDX-License-Identifier: GPL-3.0-or-later
#include "frontend/menu_window.h"

#include <QCloseEvent>
#include <initializer_list>

#include "ports/window_port.h"
#include "storage/tick.h"

namespace ZapModule {

namespace {

// Scroll bars keep the platform's light grey, as the original controls had it.
const QColor kControlGrey(212, 208, 200);

}  // namespace

MenuWindow::MenuWindow(GameState& s, MenuRules& rules, PlayerPanelRules& players,
                       LazyWindow<GameScreen>& gameScreen)
    : s_(s), rules_(rules), gameScreen_(gameScreen) {
    SetUpFixedWindow(this, TextOf(kWindowCaption), kDesign.width(), kDesign.height());
    setFont(DialogFont());
    SetColours(this, kRed, Qt::black);
    setAutoFillBackground(true);
    frame_ = new Panel(this, {0, 0, kDesign.width() - 1, kDesign.height() - 1});
    panel_ = new PlayerPanel(players, frame_);

    check1_ = new QCheckBox(QStringLiteral("   ") + TextOf(MenuDesign::kSoundSwitchText), frame_);
    check1_->setGeometry(PlaceOf(MenuDesign::kSoundSwitch));
    check1_->setChecked(rules_.SoundOn());
    connect(check1_, &QCheckBox::toggled, this, [this](bool on) { rules_.SetSoundOn(on); });
    QPalette palette = check1_->palette();
    palette.setColor(QPalette::WindowText, kRed);
    palette.setColor(QPalette::Window, Qt::black);
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Text, Qt::black);
    check1_->setPalette(palette);

    tickLabel_ = new ActiveLabel(frame_, PlaceOf(MenuDesign::kTickLabel),
                                 QString::fromStdString(rules_.TickText()), kRed, Qt::AlignHCenter);
    hScroll1_ = new SpeedBar(frame_);
    hScroll1_->setGeometry(PlaceOf(MenuDesign::kTickBar));
    hScroll1_->setRange(kMinTick, kMaxTick);
    hScroll1_->setSingleStep(MenuRules::kTickArrowStep);
    hScroll1_->setPageStep(MenuRules::kTickPageStep);
    hScroll1_->setValue(rules_.Tick());
    hScroll1_->setPalette(QPalette(kControlGrey));
    // valueChanged also follows the thumb while it is dragged.
    connect(hScroll1_, &QScrollBar::valueChanged, this, [this](int value) {
        rules_.SetTick(value);
        tickLabel_->setText(QString::fromStdString(rules_.TickText()));
    });

    for (int n = 0; n < 3; ++n) {
        const QRect place = PlaceOf(MenuDesign::kCommands[static_cast<size_t>(n)]);
        items_[n] = new ActiveLabel(frame_, place,
                                    TextOf(MenuDesign::kCommandTexts[static_cast<size_t>(n)]),
                                    n == kStart ? kGreen : kRed, Qt::AlignHCenter);
        items_[n]->OnPress = [this, n](Qt::MouseButton) { RunCommand(n); };
        items_[n]->SetOnMove([this, n] { Hover(n); });
        // From the keyboard: Tab reaches the item and frames it as the pointer does, Enter or
        // Space runs it.
        items_[n]->OnFocusIn = [this, n] { Hover(n); };
        items_[n]->SetOnKeyPress([this, n] { RunCommand(n); });
        itemFrames_[n] = frame_->AddOutline(place, ColourOf(rules_.FrameColour(Command(n))));
    }

    auto* dedication = new ActiveLabel(frame_, PlaceOf(MenuDesign::kDedication),
                                       TextOf(MenuDesign::kDedicationText), kRed, Qt::AlignLeft);
    dedication->setWordWrap(true);
    new ActiveLabel(frame_, PlaceOf(MenuDesign::kCredits), TextOf(MenuDesign::kCreditsText), kRed,
                    Qt::AlignHCenter);
    const QRect line = PlaceOf(MenuDesign::kStoryLine);
    frame_->AddLine(line.topLeft(), line.topRight(), kRed);

    story_ = new QPlainTextEdit(frame_);
    story_->setGeometry(PlaceOf(MenuDesign::kStory));
    story_->setReadOnly(true);
    story_->setTabChangesFocus(true);
    story_->setFocusPolicy(Qt::StrongFocus);
    story_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    SetColours(story_, kRed, kDarkGrey);
    story_->verticalScrollBar()->setPalette(QPalette(kControlGrey));
    // The text keeps its CR LF line ends; the box shows each as one line break.
    story_->setPlainText(TextOf(MenuDesign::kStoryText).replace(QStringLiteral("\r\n"), "\n"));
    FitTextToBox(story_);

    // The controls' own focus marks are dark on the black panel or look like a selection: every
    // control that takes the focus gets the menu's yellow frame around it instead.
    for (QWidget* control : std::initializer_list<QWidget*>{panel_->List(), panel_->NameBox(),
                                                            story_, hScroll1_, check1_})
        frame_->MarkFocusOf(control, kYellow);

    QWidget::setTabOrder(panel_->List(), panel_->NameBox());
    QWidget::setTabOrder(panel_->NameBox(), story_);
    QWidget::setTabOrder(story_, hScroll1_);
    QWidget::setTabOrder(hScroll1_, check1_);
    QWidget::setTabOrder(check1_, items_[kStart]);
    QWidget::setTabOrder(items_[kStart], items_[kHallOfFame]);
    QWidget::setTabOrder(items_[kHallOfFame], items_[kExit]);
    panel_->OnEnterInList = [this] { RunCommand(kStart); };
    layout_.Remember(this, {frame_});
}

void MenuWindow::FitToScreen() {
    frame_->SetScale(FitFramedWindow(this, kDesign, layout_).Logical());
}

QColor MenuWindow::ItemFrameColour(int command) const {
    return frame_->OutlineColour(itemFrames_.at(static_cast<size_t>(command)));
}

void MenuWindow::Show() {
    FitToScreen();
    CentreOnScreen(this);
    show();
    activateWindow();
    panel_->List()->setFocus(Qt::OtherFocusReason);
}

void MenuWindow::Hover(int command) {
    rules_.Hover(Command(command));
    for (int n = 0; n < 3; ++n)
        frame_->SetOutlineColour(itemFrames_[n], ColourOf(rules_.FrameColour(Command(n))));
}

void MenuWindow::RunCommand(int command) {
    switch (command) {
        case kStart:
            Start();
            break;
        case kHallOfFame:
            s_.Window->ShowHallOfFame();
            break;
        case kExit:
            if (OnClose) OnClose();
            break;
        default:
            break;
    }
}

void MenuWindow::Start() {
    if (!rules_.Start(static_cast<intptr_t>(gameScreen_->winId()))) return;
    hide();
    if (OnStarted) OnStarted();
}

void MenuWindow::closeEvent(QCloseEvent* event) {
    if (OnClose) OnClose();
    event->accept();
}

}  // namespace ZapModule
