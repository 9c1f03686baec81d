// SPDX-License-Identifier: GPL-3.0-or-later
#include "frontend/replay_playback.h"

#include <QKeyEvent>
#include <optional>
#include <string>
#include <utility>

#include "frontend/field_view.h"

namespace ZapModule {

ReplayPlayback::ReplayPlayback(GameState& s, GameLoop& loop, GameScreen& screen, Replay replay)
    : s_(s),
      loop_(loop),
      screen_(screen),
      schedule_(s, std::move(replay), [this] { return clock_.isValid() ? clock_.elapsed() : 0; }) {
    due_.setSingleShot(true);
    due_.setTimerType(Qt::PreciseTimer);
    connect(&due_, &QTimer::timeout, this, [this] {
        schedule_.TimerFired();
        // The recorded input may have ended a pause.
        loop_.Wake();
        ShowState();
    });
    schedule_.ArmTimer = [this](int64_t delay) { due_.start(static_cast<int>(delay)); };
    schedule_.DisarmTimer = [this] { due_.stop(); };
    schedule_.OnEnd = [this](bool diverged) {
        if (OnEnd) OnEnd(diverged);
    };
    schedule_.HeldChanged = [this] {
        ShowState();
        if (HeldChanged) HeldChanged();
    };
}

ReplayPlayback::~ReplayPlayback() {
    loop_.BeforePass() = nullptr;
}

void ReplayPlayback::Start() {
    clock_.start();
    screen_.installEventFilter(this);
    screen_.Field()->installEventFilter(this);
    loop_.BeforePass() = [this] {
        schedule_.BeforePass();
        ShowState();
    };
    ShowState();
    schedule_.Start();
}

void ReplayPlayback::Stop() {
    schedule_.Stop();
}

void ReplayPlayback::ShowState() {
    screen_.ShowPause();
    if (const std::optional<std::string> caption = schedule_.ChangedCaption())
        screen_.setWindowTitle(QString::fromStdString(*caption));
}

bool ReplayPlayback::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress: {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_F11) return false;  // the game screen's own
            schedule_.ViewerKeyDown(FieldView::KeyCode(key->key()), key->isAutoRepeat());
            // A skipped wait may have ended a pause.
            loop_.Wake();
            ShowState();
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
