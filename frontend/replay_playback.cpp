#include "frontend/replay_playback.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <algorithm>

#include "game/replay.h"
#include "game/tick.h"

namespace ZapModule {

namespace {

// How often a playback looks again while it waits for the steps to reach its next input.
constexpr int64_t kPollMillis = 20;

}  // namespace

ReplayPlayback::ReplayPlayback(GameState& s, GameLoop& loop, GameScreen& screen, Replay replay)
    : s_(s), loop_(loop), screen_(screen), replay_(std::move(replay)) {
    due_.setSingleShot(true);
    due_.setTimerType(Qt::PreciseTimer);
    connect(&due_, &QTimer::timeout, this, [this] {
        const size_t before = next_;
        DeliverDue(false);
        if (!ended_ && next_ == before) Arm();
    });
}

ReplayPlayback::~ReplayPlayback() {
    loop_.BeforePass = nullptr;
}

void ReplayPlayback::Start() {
    firstStep_ = s_.Steps;
    clock_.start();
    screen_.installEventFilter(this);
    screen_.Field()->installEventFilter(this);
    loop_.BeforePass = [this] { BeforePass(); };
    title_ = screen_.windowTitle();
    ShowTitle();
    Arm();
}

void ReplayPlayback::Stop() {
    ended_ = true;
    held_ = false;
    due_.stop();
}

void ReplayPlayback::ShowTitle() {
    screen_.setWindowTitle(title_ +
                           QString::fromUtf8(held_ ? " – záznam hry (pauza)" : " – záznam hry"));
}

void ReplayPlayback::SetHeld(bool held) {
    if (held == held_ || ended_) return;
    held_ = held;
    if (held_) {
        heldSince_ = Now();
        due_.stop();
    } else {
        offset_ += Now() - heldSince_;
        Arm();
    }
    ShowTitle();
}

bool ReplayPlayback::CanStep() const {
    return loop_.Interval() != 0 && s_.Paused == kFalse;
}

void ReplayPlayback::DeliverNext() {
    const ReplayEvent& e = replay_.Events[next_++];
    offset_ = Now() - e.Millis;
    DeliverInput(s_, e);
}

void ReplayPlayback::DeliverDue(bool stepComing) {
    if (held_ || ended_) return;
    const size_t before = next_;
    while (next_ < replay_.Events.size() && replay_.Events[next_].Step == StepsDone()) {
        // An input waits for its time unless the step it came before is about to run.
        if (Now() < replay_.Events[next_].Millis + offset_ && !(stepComing && CanStep())) break;
        DeliverNext();
    }
    if (next_ != before) Arm();
    const bool closedHere = next_ == replay_.Events.size() && replay_.End == ReplayEnd::Closed &&
                            StepsDone() == replay_.EndStep;
    if (closedHere && (Now() >= replay_.EndMillis + offset_ || (stepComing && CanStep())))
        End(false);
}

void ReplayPlayback::BeforePass() {
    // Holding the playback holds the loop here, between two steps, as a yield would.
    while (held_ && !ended_) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    DeliverDue(PassesUntilStep(s_) == 1);
}

void ReplayPlayback::Arm() {
    if (held_ || ended_) return;
    const bool inputsLeft = next_ < replay_.Events.size();
    const int64_t step = inputsLeft ? replay_.Events[next_].Step : replay_.EndStep;
    const int64_t millis = inputsLeft ? replay_.Events[next_].Millis : replay_.EndMillis;
    int64_t at = 0;
    if (step == StepsDone() && (inputsLeft || replay_.End == ReplayEnd::Closed)) {
        at = millis + offset_;
    } else if (CanStep()) {
        // The steps have yet to reach it (or the game ends itself): look again soon, in case the
        // game stops on the way (a level switch) and the input is then awaited by time.
        at = Now() + kPollMillis;
    } else {
        // The game waits for an input that the recording has only after a later step.
        End(true);
        return;
    }
    due_.start(static_cast<int>(std::clamp<int64_t>(at - Now(), 0, 1 << 30)));
}

void ReplayPlayback::End(bool diverged) {
    if (ended_) return;
    Stop();
    if (OnEnd) OnEnd(diverged);
}

bool ReplayPlayback::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress: {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Escape) End(false);
            if (key->key() == Qt::Key_P && !key->isAutoRepeat()) SetHeld(!held_);
            return true;
        }
        case QEvent::KeyRelease:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            return true;
        default:
            return QObject::eventFilter(watched, event);
    }
}

}  // namespace ZapModule
