// SPDX-License-Identifier: GPL-3.0-or-later
#include "frontend/player_panel.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QValidator>

#include "ports/window_port.h"
#include "storage/cp1250.h"

namespace ZapModule {

namespace {

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

// Draws the player lines without the style's mark of the current line: the list shows its focus
// by the menu's frame around it, and a line looks chosen only when it is selected (Start needs a
// selection, not a current line).
class LinesWithoutCurrentMark : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem plain(option);
        plain.state &= ~QStyle::State_HasFocus;
        QStyledItemDelegate::paint(painter, plain, index);
    }
};

}  // namespace

PlayerPanel::PlayerPanel(PlayerPanelRules& rules, Panel* frame) : QObject(frame), rules_(rules) {
    new ActiveLabel(frame, PlaceOf(MenuDesign::kPlayerLabel), TextOf(MenuDesign::kPlayerLabelText),
                    kRed, Qt::AlignHCenter);
    list_ = new QListWidget(frame);
    list_->setGeometry(PlaceOf(MenuDesign::kPlayerList));
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setFont(DialogFont());
    list_->setItemDelegate(new LinesWithoutCurrentMark(list_));
    SetColours(list_, kRed, kDarkGrey);
    list_->installEventFilter(this);
    list_->viewport()->installEventFilter(this);
    connect(list_, &QListWidget::itemSelectionChanged, this, &PlayerPanel::ForwardSelection);

    new ActiveLabel(frame, PlaceOf(MenuDesign::kNewPlayerLabel),
                    TextOf(MenuDesign::kNewPlayerLabelText), kRed, Qt::AlignHCenter);
    nameBox_ = new QLineEdit(frame);
    nameBox_->setGeometry(PlaceOf(MenuDesign::kNameBox));
    nameBox_->setMaxLength(kPlayerNameLength);
    nameBox_->setFont(DialogFont());
    nameBox_->setValidator(new StorableNameValidator(nameBox_));
    SetColours(nameBox_, kRed, kDarkGrey);
    connect(nameBox_, &QLineEdit::returnPressed, this, &PlayerPanel::CreatePlayer);

    frame->AddOutline(PlaceOf(MenuDesign::kNameFrame), kRed);
    nameLabel_ = new ActiveLabel(frame, PlaceOf(MenuDesign::kPlayerName), {}, kRed,
                                 Qt::AlignHCenter, BigFont());
    nameLabel_->SetSqueezeToFit(true);
    nameLabel_->OnClick = [this] { rules_.ClickName(); };
    for (int i = 0; i < 3; ++i)
        stats_[i] = new ActiveLabel(frame, PlaceOf(MenuDesign::kStatistics[static_cast<size_t>(i)]),
                                    {}, kRed, Qt::AlignLeft);
    stats_[0]->OnPress = [this](Qt::MouseButton button) {
        const auto which = button == Qt::LeftButton    ? PlayerPanelRules::Button::Left
                           : button == Qt::RightButton ? PlayerPanelRules::Button::Right
                                                       : PlayerPanelRules::Button::Other;
        if (rules_.EditLevel(which)) ShowRules();
    };
    ShowRules();
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

void PlayerPanel::ForwardSelection() {
    Choose(SelectedRow());
}

void PlayerPanel::ShowRules() {
    const int chosen = rules_.Selected();
    if (chosen >= 0 && SelectedRow() != chosen) {
        const QSignalBlocker quiet(list_);
        list_->setCurrentRow(chosen, QItemSelectionModel::ClearAndSelect);
    }
    nameLabel_->setText(QString::fromStdString(rules_.NameText()));
    for (int i = 0; i < 3; ++i)
        stats_[i]->setText(QString::fromStdString(rules_.Statistics()[static_cast<size_t>(i)]));
}

void PlayerPanel::Choose(int row) {
    rules_.Select(row);
    ShowRules();
}

void PlayerPanel::CreatePlayer() {
    rules_.CreatePlayer(nameBox_->text().toStdString());
    ShowRules();
    nameBox_->clear();
}

void PlayerPanel::DeleteSelectedPlayer() {
    const std::optional<std::string> question = rules_.DeleteQuestion();
    if (!question || !AskQuestion) return;
    AskQuestion(*question, std::string(PlayerPanelRules::kQuestionTitle), [this] {
        {
            // Removing the line would move Qt's selection to a neighbour: nobody is chosen
            // instead.
            const QSignalBlocker quiet(list_);
            rules_.DeleteSelected();
            list_->clearSelection();
            list_->setCurrentRow(-1);
        }
        ShowRules();
    });
}

bool PlayerPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Delete) {
            DeleteSelectedPlayer();
            return true;
        }
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && OnEnterInList) {
            if (!static_cast<QKeyEvent*>(event)->isAutoRepeat()) OnEnterInList();
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
