// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/brick_palette.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "frontend/look.h"
#include "frontend/surface_image.h"

namespace ZapModule {

namespace {

constexpr int kIconScale = 2;
constexpr int kMaxPoints = 32767;

QPixmap Cell(const GameState& s, int sheet, int cell) {
    if (sheet >= s.SpriteCount()) return {};
    const QImage image = ImageOf(s.Sprites[static_cast<size_t>(sheet)].Pixels);
    return QPixmap::fromImage(image.copy(cell * kCellWidth, 0, kCellWidth, kCellHeight)
                                  .scaled(kCellWidth * kIconScale, kCellHeight * kIconScale));
}

QLabel* Heading(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setFont(BigFont());
    SetColours(label, kYellow, Qt::black);
    return label;
}

QListWidget* IconList(QWidget* parent) {
    auto* list = new QListWidget(parent);
    list->setViewMode(QListView::IconMode);
    list->setIconSize(QSize(kCellWidth * kIconScale, kCellHeight * kIconScale));
    list->setMovement(QListView::Static);
    list->setResizeMode(QListView::Adjust);
    list->setSpacing(2);
    return list;
}

}  // namespace

BrickPalette::BrickPalette(const GameState& sprites,
                           std::function<int16_t(int16_t, int16_t)> defaultPoints, QWidget* parent)
    : QWidget(parent),
      defaultPoints_(std::move(defaultPoints)),
      pictures_(IconList(this)),
      type_(new QComboBox(this)),
      bonuses_(IconList(this)),
      points_(new QSpinBox(this)) {
    setAutoFillBackground(true);
    SetColours(this, Qt::white, Qt::black);
    const int brickCells = kBrickSheetSprite < sprites.SpriteCount()
                               ? sprites.Sprites[kBrickSheetSprite].Width / kCellWidth
                               : 0;
    for (int cell = 0; cell < brickCells; ++cell) {
        auto* item = new QListWidgetItem(QIcon(Cell(sprites, kBrickSheetSprite, cell)), QString(),
                                         pictures_);
        item->setToolTip(QString::fromUtf8("obrázek %1").arg(cell));
    }
    pictures_->setCurrentRow(0);
    for (int type = 0; type <= kTypeSteel; ++type)
        type_->addItem(QString::fromStdString(TypeName(type)));
    new QListWidgetItem(QString::fromStdString(BonusName(0)), bonuses_);
    for (int bonus = 1; bonus <= Bonus::Surprise; ++bonus) {
        auto* item =
            new QListWidgetItem(QIcon(Cell(sprites, kBonusSheetSprite, bonus - 1)), {}, bonuses_);
        item->setToolTip(QString::fromStdString(BonusName(bonus)));
    }
    bonuses_->setCurrentRow(0);
    points_->setRange(0, kMaxPoints);
    auto* apply = new QPushButton(QString::fromUtf8("Použít na výběr"), this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Heading(QString::fromUtf8("Cihla"), this));
    layout->addWidget(pictures_, 2);
    layout->addWidget(new QLabel(QString::fromUtf8("Druh:"), this));
    layout->addWidget(type_);
    layout->addWidget(new QLabel(QString::fromUtf8("Body:"), this));
    layout->addWidget(points_);
    layout->addWidget(Heading(QString::fromUtf8("Bonus"), this));
    layout->addWidget(bonuses_, 1);
    layout->addWidget(apply);
    for (QWidget* w : std::initializer_list<QWidget*>{pictures_, type_, bonuses_, points_})
        w->setFont(DialogFont());

    connect(pictures_, &QListWidget::currentRowChanged, this, [this] { TakeDefaultPoints(); });
    connect(type_, &QComboBox::currentIndexChanged, this, [this](int type) {
        bonuses_->setEnabled(type != kTypeSteel);
        TakeDefaultPoints();
    });
    const auto changed = [this] {
        if (OnChanged) OnChanged();
    };
    connect(bonuses_, &QListWidget::currentRowChanged, this, changed);
    connect(points_, &QSpinBox::valueChanged, this, changed);
    connect(apply, &QPushButton::clicked, this, [this] {
        if (OnApplyToSelection) OnApplyToSelection();
    });
    TakeDefaultPoints();
}

void BrickPalette::TakeDefaultPoints() {
    const PaletteBrick b = Chosen();
    {
        const QSignalBlocker quiet(points_);  // one OnChanged for the picture or the type
        points_->setValue(defaultPoints_(b.Picture, b.Type));
    }
    if (OnChanged) OnChanged();
}

PaletteBrick BrickPalette::Chosen() const {
    return {static_cast<int16_t>(std::max(0, pictures_->currentRow())),
            static_cast<int16_t>(type_->currentIndex()), static_cast<int16_t>(points_->value()),
            static_cast<int16_t>(std::max(0, bonuses_->currentRow()))};
}

void BrickPalette::Pick(const PaletteBrick& brick) {
    if (brick.Picture >= 0 && brick.Picture < pictures_->count())
        pictures_->setCurrentRow(brick.Picture);
    if (brick.Type >= 0 && brick.Type < type_->count()) type_->setCurrentIndex(brick.Type);
    if (brick.Bonus >= 0 && brick.Bonus < bonuses_->count()) bonuses_->setCurrentRow(brick.Bonus);
    points_->setValue(brick.Points);
}

}  // namespace ZapModule
