#include "frontend/player_panel.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QValidator>

#include "game/window_port.h"
#include "sound/sound.h"
#include "storage/cp1250.h"
#include "storage/roster.h"

namespace ZapModule {

namespace {

constexpr int kNameLength = 8;
const QString kNoPlayer = QString::fromUtf8("Hráč");
const QString kLevel = QStringLiteral("Level: ");
const QString kBalls = QStringLiteral("Balls: ");
const QString kIq = QStringLiteral("IQ: ");

// Accepts only names the roster file can store (Windows-1250), so that a name is never changed
// behind the player's back when it is saved.
class StorableNameValidator : public QValidator {
  public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        for (char32_t c : input.toUcs4())
            if (!UnicodeToCp1250(c)) return Invalid;
        return Acceptable;
    }
};

}  // namespace

PlayerPanel::PlayerPanel(GameState& s, Panel* frame) : QObject(frame), s_(s) {
    new ActiveLabel(frame, {8, 16, 97, 17}, QString::fromUtf8("Hráč:"), kRed, Qt::AlignHCenter);
    list_ = new QListWidget(frame);
    list_->setGeometry(8, 32, 97, 134);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setFont(DialogFont());
    SetColours(list_, kRed, kDarkGrey);
    list_->installEventFilter(this);
    list_->viewport()->installEventFilter(this);
    connect(list_, &QListWidget::itemSelectionChanged, this, &PlayerPanel::ShowSelectedPlayer);

    new ActiveLabel(frame, {8, 184, 97, 17}, QString::fromUtf8("Nový hráč:"), kRed,
                    Qt::AlignHCenter);
    nameBox_ = new QLineEdit(frame);
    nameBox_->setGeometry(8, 200, 97, 19);
    nameBox_->setMaxLength(kNameLength);
    nameBox_->setFont(DialogFont());
    nameBox_->setValidator(new StorableNameValidator(nameBox_));
    SetColours(nameBox_, kRed, kDarkGrey);
    connect(nameBox_, &QLineEdit::returnPressed, this, &PlayerPanel::CreatePlayer);

    frame->AddOutline({168, 24, 193, 41}, kRed);
    nameLabel_ =
        new ActiveLabel(frame, {184, 32, 161, 25}, kNoPlayer, kRed, Qt::AlignHCenter, BigFont());
    nameLabel_->SetSqueezeToFit(true);
    nameLabel_->OnClick = [this] { PlayTuneOnName(); };
    const QString designs[3] = {kLevel, kBalls, kIq};
    for (int i = 0; i < 3; ++i)
        stats_[i] =
            new ActiveLabel(frame, {184, 72 + 24 * i, 161, 17}, designs[i], kRed, Qt::AlignLeft);
    stats_[0]->OnPress = [this](Qt::MouseButton button) { EditLevel(button); };
}

int PlayerPanel::SelectedRow() const {
    const QList<QListWidgetItem*> selected = list_->selectedItems();
    return selected.isEmpty() ? -1 : list_->row(selected.front());
}

void PlayerPanel::AppendLine(const std::string& name) {
    list_->addItem(QString::fromStdString(name));
}

void PlayerPanel::RemoveLine(int index) {
    delete list_->takeItem(index);
}

void PlayerPanel::ShowStatistics(const QString& level, const QString& balls, const QString& iq) {
    stats_[0]->setText(level);
    stats_[1]->setText(balls);
    stats_[2]->setText(iq);
}

void PlayerPanel::ShowSelectedPlayer() {
    const int row = SelectedRow();
    if (row < 0 || static_cast<size_t>(row) >= s_.Players.size()) return;
    const PlayerRecord& player = s_.Players[static_cast<size_t>(row)];
    ShowStatistics(kLevel + QString::number(int64_t{player.Level} + 1),
                   kBalls + QString::number(player.SpareBalls), kIq + QString::number(player.Iq));
    nameLabel_->setText(QString::fromStdString(player.Name));
}

void PlayerPanel::CreatePlayer() {
    const QString name = nameBox_->text();
    PlayerRecord player;
    player.Name = name.toStdString();
    player.SpareBalls = 3;
    s_.Players.resize(static_cast<size_t>(list_->count()));
    s_.Players.push_back(player);
    list_->addItem(name);
    ShowStatistics(kLevel + "1", kBalls + "3", kIq + "0");
    list_->setCurrentRow(list_->count() - 1, QItemSelectionModel::ClearAndSelect);
    nameBox_->clear();
}

void PlayerPanel::DeleteSelectedPlayer() {
    const int row = SelectedRow();
    if (row < 0) return;
    const std::string question = "Tímto odstraníte hráče " +
                                 list_->item(row)->text().toStdString() + "! Opravdu to chcete??";
    if (s_.Window->ShowMessage(question, "POZOR!", MessageButtons::YesNo) != MessageAnswer::Yes)
        return;
    DeletePlayer(s_, static_cast<int16_t>(row));
    list_->clearSelection();
    list_->setCurrentRow(-1);
    ShowStatistics(kLevel, kBalls, kIq);
    nameLabel_->setText(kNoPlayer);
}

void PlayerPanel::EditLevel(Qt::MouseButton button) {
    const int row = SelectedRow();
    if (nameLabel_->text() != QStringLiteral("*QUORN*") || row < 0) return;
    if (static_cast<size_t>(row) >= s_.Players.size()) return;
    int32_t& level = s_.Players[static_cast<size_t>(row)].Level;
    if (button == Qt::LeftButton && level < INT32_MAX) {
        ++level;
    } else if (button == Qt::RightButton && level >= 1) {
        --level;
    } else {
        return;
    }
    stats_[0]->setText(kLevel + QString::number(int64_t{level} + 1));
}

void PlayerPanel::PlayTuneOnName() {
    if (nameLabel_->text().toUpper() == QStringLiteral("ZUL_K")) PlayExtraTune(s_);
}

bool PlayerPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Delete) {
            DeleteSelectedPlayer();
            return true;
        }
        // With no line selected, the first arrow key selects the first line, as a list box does.
        if ((key == Qt::Key_Down || key == Qt::Key_Up) && SelectedRow() < 0 && list_->count() > 0) {
            list_->setCurrentRow(0, QItemSelectionModel::ClearAndSelect);
            return true;
        }
    }
    // Only creating and deleting a player clear the selection: a press below the last line or a
    // Ctrl+click, which would unselect in Qt, selects nothing new and keeps the player chosen.
    if (watched == list_->viewport() && (event->type() == QEvent::MouseButtonPress ||
                                         event->type() == QEvent::MouseButtonDblClick)) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const int row = list_->indexAt(mouse->position().toPoint()).row();
        if (row < 0) return true;
        if (mouse->modifiers() & Qt::ControlModifier) {
            list_->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace ZapModule
