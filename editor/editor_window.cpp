// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/editor_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QToolBar>
#include <algorithm>

#include "app/user_settings.h"
#include "frontend/look.h"
#include "hall_protocol/hall_send.h"
#include "layout/level_set_layout.h"
#include "storage/level_text.h"

namespace ZapModule {

namespace {

constexpr int kSideWidth = 230;  // the level list and the palette beside the field
constexpr int kProblemsHeight = 110;
const QString kFileFilter = QString::fromUtf8("Sady úrovní (*.txt *.ko);;Všechny soubory (*)");

QString Czech(const char* text) {
    return QString::fromUtf8(text);
}

// A count with its noun in the Czech form it takes: "1 cihla", "3 cihly", "5 cihel".
QString Counted(size_t n, const char* one, const char* few, const char* many) {
    return QString::number(n) + ' ' + Czech(n == 1 ? one : n >= 2 && n <= 4 ? few : many);
}

QString LevelLabel(size_t index, const EditorLevel& level, const std::string& title) {
    const QString bricks = Counted(level.size(), "cihla", "cihly", "cihel");
    if (title.empty()) return Czech("Úroveň %1 (%2)").arg(index + 1).arg(bricks);
    // The title is isolated from the rest of the line: a right-to-left mark or override in it
    // turns only the title, never the number and the count around it.
    return Czech("%1. \u2068%2\u2069 (%3)")
        .arg(index + 1)
        .arg(QString::fromStdString(title), bricks);
}

}  // namespace

EditorWindow::EditorWindow(GameState& sprites, DataLayout layout, QWidget* parent)
    : QMainWindow(parent),
      sprites_(sprites),
      layout_(std::move(layout)),
      session_(BrickPictures(sprites)),
      canvas_(new FieldCanvas(sprites, this)),
      palette_(new BrickPalette(
          sprites, [this](int16_t p, int16_t t) { return session_.DefaultPointsFor(p, t); }, this)),
      levelList_(new QListWidget(this)),
      problemList_(new QListWidget(this)),
      testPlay_(new TestPlay(this)),
      publisher_(new SetPublisher(this)) {
    const QPalette colours = Colours();
    setPalette(colours);
    menuBar()->setPalette(colours);
    setFont(DialogFont());

    // On a screen too small for the whole field and palette (a large scale factor), they scroll,
    // so the window fits the screen.
    auto* centre = new QScrollArea(this);
    centre->setWidget(canvas_);
    centre->setAlignment(Qt::AlignCenter);
    centre->setFrameShape(QFrame::NoFrame);
    setCentralWidget(centre);

    levelList_->setDragDropMode(QAbstractItemView::InternalMove);
    // Every line has one height: the list lays out the lines it shows, not all of a set's 32767.
    levelList_->setUniformItemSizes(true);
    levelList_->setFont(BigFont());
    levelList_->setMinimumWidth(kSideWidth);
    auto* levelsDock = new QDockWidget(Czech("Úrovně"), this);
    levelsDock->setObjectName("levels");
    levelsDock->setWidget(levelList_);
    levelsDock->setFeatures(QDockWidget::NoDockWidgetFeatures);
    addDockWidget(Qt::LeftDockWidgetArea, levelsDock);

    auto* paletteDock = new QDockWidget(Czech("Paleta"), this);
    paletteDock->setObjectName("palette");
    auto* paletteScroll = new QScrollArea(paletteDock);
    paletteScroll->setWidget(palette_);
    paletteScroll->setWidgetResizable(true);
    paletteScroll->setFrameShape(QFrame::NoFrame);
    paletteScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    paletteDock->setWidget(paletteScroll);
    palette_->setMinimumWidth(kSideWidth);
    paletteScroll->setMinimumWidth(kSideWidth +
                                   paletteScroll->verticalScrollBar()->sizeHint().width());
    paletteDock->setFeatures(QDockWidget::NoDockWidgetFeatures);
    addDockWidget(Qt::RightDockWidgetArea, paletteDock);

    SetColours(problemList_, kRed, Qt::black);
    auto* problemsDock = new QDockWidget(Czech("Co by hra odmítla nebo nehrála, jak má"), this);
    problemsDock->setObjectName("problems");
    problemsDock->setWidget(problemList_);
    problemList_->setMinimumHeight(kProblemsHeight);
    problemsDock->setFeatures(QDockWidget::NoDockWidgetFeatures);
    addDockWidget(Qt::BottomDockWidgetArea, problemsDock);

    canvas_->OnDraw = [this](int x, int y, bool free) {
        session_.StrokeDraw(x, y, free);
        ShowStroke();
    };
    canvas_->OnErase = [this](int x, int y) {
        session_.StrokeErase(x, y);
        ShowStroke();
    };
    canvas_->OnStrokeEnd = [this] { Run([this] { session_.EndStroke(); }); };
    canvas_->OnSelect = [this](std::vector<size_t> bricks, bool add) {
        session_.Select(std::move(bricks), add);
        if (session_.Selection().size() == 1) palette_->Pick(session_.Palette());
        Refresh();
    };
    canvas_->OnMoveSelection = [this](int dx, int dy) {
        Run([&] { session_.MoveSelection(dx, dy); });
    };
    palette_->OnChanged = [this] { session_.SetPalette(palette_->Chosen()); };
    palette_->OnApplyToSelection = [this] { Run([this] { session_.ApplyPaletteToSelection(); }); };

    connect(levelList_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!refreshing_ && row >= 0) SelectLevel(static_cast<size_t>(row));
    });
    // A level dragged in the list: the list is rebuilt from the set once the drop is over.
    connect(
        levelList_->model(), &QAbstractItemModel::rowsMoved, this,
        [this](const QModelIndex&, int start, int, const QModelIndex&, int row) {
            if (!refreshing_) LevelDragged(start, row > start ? row - 1 : row);
        },
        Qt::QueuedConnection);
    connect(levelList_, &QListWidget::itemDoubleClicked, this, [this] { RenameLevelAsked(); });
    connect(problemList_, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        const size_t i = static_cast<size_t>(problemList_->row(item));
        if (i >= shownProblems_.size() || shownProblems_[i].Level < 1) return;
        const LevelRuleProblem problem = shownProblems_[i];  // the list is shown anew
        session_.SelectLevel(static_cast<size_t>(problem.Level - 1));
        if (problem.Brick >= 0) session_.SetSelection({static_cast<size_t>(problem.Brick)});
        Refresh();
    });
    testPlay_->OnFinished = [this] {
        centralWidget()->setEnabled(true);
        statusBar()->showMessage(Czech("Zkouška skončila."), 5000);
        activateWindow();
    };

    session_.SetPalette(palette_->Chosen());
    BuildMenus();
    SetColours(statusBar(), kGreen, Qt::black);
    NewSet();
    canvas_->setFocus();
}

QPalette EditorWindow::Colours() {
    QPalette colours = QApplication::palette();
    colours.setColor(QPalette::Window, Qt::black);
    colours.setColor(QPalette::WindowText, Qt::white);
    colours.setColor(QPalette::Base, kDarkGrey);
    colours.setColor(QPalette::Text, Qt::white);
    colours.setColor(QPalette::Button, kDarkGrey);
    colours.setColor(QPalette::ButtonText, Qt::white);
    colours.setColor(QPalette::Highlight, kDarkRed);
    colours.setColor(QPalette::HighlightedText, Qt::white);
    return colours;
}

EditorWindow::~EditorWindow() = default;

void EditorWindow::BuildMenus() {
    QMenu* file = menuBar()->addMenu(Czech("&Soubor"));
    file->addAction(Czech("&Nová sada"), QKeySequence::New, this, [this] {
        if (MayDiscard()) NewSet();
    });
    file->addAction(Czech("&Otevřít…"), QKeySequence::Open, this, [this] { OpenAsked(); });
    file->addAction(Czech("&Uložit"), QKeySequence::Save, this, [this] { Save(); });
    file->addAction(Czech("Uložit &jako…"), QKeySequence::SaveAs, this, [this] { SaveAsked(); });
    file->addSeparator();
    file->addAction(Czech("&Konec"), QKeySequence::Quit, this, [this] { close(); });

    QMenu* edit = menuBar()->addMenu(Czech("Úpr&avy"));
    undo_ = edit->addAction(Czech("&Zpět"), QKeySequence::Undo, this, [this] { Undo(); });
    redo_ = edit->addAction(Czech("&Znovu"), QKeySequence::Redo, this, [this] { Redo(); });
    edit->addSeparator();
    edit->addAction(Czech("&Kopírovat"), QKeySequence::Copy, this, [this] { CopySelection(); });
    edit->addAction(Czech("&Vložit"), QKeySequence::Paste, this, [this] {
        const QPoint at = canvas_->mapFromGlobal(QCursor::pos());
        if (canvas_->rect().contains(at))
            PasteAt(at.x(), at.y());
        else
            Run([this] { session_.Paste(); });
    });
    edit->addAction(Czech("&Smazat"), QKeySequence::Delete, this, [this] { DeleteSelection(); });
    edit->addAction(Czech("Vybrat &vše"), QKeySequence::SelectAll, this,
                    [this] { Run([this] { session_.SelectAll(); }); });

    QMenu* tools = menuBar()->addMenu(Czech("&Nástroj"));
    QToolBar* bar = addToolBar(Czech("Nástroj"));
    bar->setObjectName("tools");
    auto* draw = new QAction(Czech("&Kreslit (levé tlačítko klade, pravé maže)"), this);
    auto* select = new QAction(Czech("&Vybírat (táhnout přesouvá)"), this);
    draw->setShortcut(QKeySequence(Qt::Key_D));
    select->setShortcut(QKeySequence(Qt::Key_V));
    for (QAction* a : {draw, select}) {
        a->setCheckable(true);
        tools->addAction(a);
        bar->addAction(a);
    }
    draw->setChecked(true);
    connect(draw, &QAction::triggered, this, [this, draw, select] {
        canvas_->SetTool(FieldCanvas::Tool::Draw);
        draw->setChecked(true);
        select->setChecked(false);
    });
    connect(select, &QAction::triggered, this, [this, draw, select] {
        canvas_->SetTool(FieldCanvas::Tool::Select);
        draw->setChecked(false);
        select->setChecked(true);
    });

    QMenu* view = menuBar()->addMenu(Czech("&Zobrazení"));
    view->addAction(Czech("&Zvětšit"), QKeySequence::ZoomIn, this,
                    [this] { canvas_->SetZoom(canvas_->Zoom() + 1); });
    view->addAction(Czech("&Zmenšit"), QKeySequence::ZoomOut, this,
                    [this] { canvas_->SetZoom(canvas_->Zoom() - 1); });

    QMenu* levels = menuBar()->addMenu(Czech("Ú&rovně"));
    levels->addAction(Czech("&Přidat úroveň"), QKeySequence(Qt::CTRL | Qt::Key_L), this,
                      [this] { AddLevel(); });
    levels->addAction(Czech("&Zdvojit úroveň"), QKeySequence(Qt::CTRL | Qt::Key_D), this,
                      [this] { DuplicateLevel(); });
    levels->addAction(Czech("&Smazat úroveň"), QKeySequence(Qt::CTRL | Qt::Key_Delete), this,
                      [this] { DeleteLevel(); });
    levels->addAction(Czech("Pře&jmenovat úroveň…"), QKeySequence(Qt::Key_F2), this,
                      [this] { RenameLevelAsked(); });
    levels->addAction(Czech("Posunout &nahoru"), QKeySequence(Qt::CTRL | Qt::Key_Up), this,
                      [this] { MoveCurrentLevel(-1); });
    levels->addAction(Czech("Posunout &dolů"), QKeySequence(Qt::CTRL | Qt::Key_Down), this,
                      [this] { MoveCurrentLevel(1); });

    QMenu* game = menuBar()->addMenu(Czech("&Hra"));
    QAction* play = game->addAction(Czech("&Zkusit úroveň"), QKeySequence(Qt::Key_F5), this,
                                    [this] { TestPlayLevel(); });
    game->addAction(Czech("&Hrát sadu"), QKeySequence(Qt::CTRL | Qt::Key_F5), this,
                    [this] { PlaySet(); });
    game->addAction(Czech("Z&veřejnit na serveru…"), this, [this] { PublishAsked(); });
    bar->addSeparator();
    bar->addAction(play);
}

void EditorWindow::Say(const QString& text, QMessageBox::Icon icon) {
    LastMessage = text;
    if (!QuietMessages)
        QMessageBox(icon, Czech("Editor úrovní"), text, QMessageBox::Ok, this).exec();
}

bool EditorWindow::Ask(const QString& text) {
    LastMessage = text;
    if (QuietMessages) return QuietAnswer;
    return QMessageBox::question(this, Czech("Editor úrovní"), text,
                                 QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

void EditorWindow::Run(const std::function<void()>& command) {
    command();
    Refresh();
}

void EditorWindow::Refresh() {
    const LevelSet& set = session_.Set();
    shownProblems_ = session_.Check().First(kShownProblems);

    refreshing_ = true;
    // Only the lines that changed are set, and lines added or taken at the end.
    const int levels = static_cast<int>(set.Levels.size());
    while (levelList_->count() > levels) delete levelList_->takeItem(levelList_->count() - 1);
    for (int l = 0; l < levels; ++l) {
        const size_t at = static_cast<size_t>(l);
        const QString label = LevelLabel(at, set.Levels[at], set.Titles[at]);
        if (l == levelList_->count())
            levelList_->addItem(label);
        else if (levelList_->item(l)->text() != label)
            levelList_->item(l)->setText(label);
    }
    levelList_->setCurrentRow(static_cast<int>(session_.Current()));
    problemList_->clear();
    for (const LevelRuleProblem& p : shownProblems_)
        problemList_->addItem((p.Refused ? Czech("Hra odmítne: ") : Czech("Nehraje se, jak má: ")) +
                              QString::fromStdString(p.Text));
    refreshing_ = false;
    canvas_->ShowLevel(session_.Level(), session_.Selection(),
                       session_.Check().FaultyBricks(session_.Current()));
    // The steps are named as the session names them: "Zpět kreslení".
    undo_->setEnabled(session_.CanUndo());
    undo_->setText(Czech("&Zpět %1").arg(QString::fromStdString(session_.UndoName())).trimmed());
    redo_->setEnabled(session_.CanRedo());
    redo_->setText(Czech("&Znovu %1").arg(QString::fromStdString(session_.RedoName())).trimmed());
    const QString name = path_.isEmpty() ? Czech("nová sada") : QFileInfo(path_).fileName();
    setWindowTitle(Czech("%1%2 – Editor úrovní Zapwall").arg(name, session_.Changed() ? "*" : ""));
}

void EditorWindow::ShowStroke() {
    canvas_->ShowLevel(session_.Level(), session_.Selection(), {});
}

void EditorWindow::SelectLevel(size_t level) {
    Run([&] { session_.SelectLevel(level); });
}

void EditorWindow::Undo() {
    Run([this] { session_.Undo(); });
}

void EditorWindow::Redo() {
    Run([this] { session_.Redo(); });
}

void EditorWindow::DeleteSelection() {
    Run([this] { session_.DeleteSelection(); });
}

void EditorWindow::CopySelection() {
    session_.CopySelection();
}

void EditorWindow::PasteAt(int x, int y) {
    Run([&] { session_.Paste(x, y); });
}

void EditorWindow::AddLevel() {
    Run([this] { session_.AddLevel(); });
}

void EditorWindow::DuplicateLevel() {
    Run([this] { session_.DuplicateLevel(); });
}

void EditorWindow::DeleteLevel() {
    const std::string refused = session_.DeleteLevel();
    if (!refused.empty()) Say(QString::fromStdString(refused));
    Refresh();
}

bool EditorWindow::SetLevelTitle(const std::string& title) {
    const std::string refused = session_.RenameLevel(title);
    Refresh();
    if (refused.empty()) return true;
    Say(QString::fromStdString(refused));
    return false;
}

void EditorWindow::RenameLevelAsked() {
    const size_t current = session_.Current();
    bool given = false;
    const QString title = QInputDialog::getText(
        this, Czech("Název úrovně"), Czech("Název úrovně %1:").arg(current + 1), QLineEdit::Normal,
        QString::fromStdString(session_.Set().Titles[current]), &given);
    // One line, without blanks at its ends: a title is the rest of its `level` line in the text.
    if (given) SetLevelTitle(title.simplified().toStdString());
}

void EditorWindow::MoveCurrentLevel(int by) {
    const int to = static_cast<int>(session_.Current()) + by;
    if (to < 0 || to >= static_cast<int>(session_.Set().Levels.size())) return;
    LevelDragged(static_cast<int>(session_.Current()), to);
}

void EditorWindow::LevelDragged(int from, int to) {
    Run([&] {
        session_.MoveLevel(static_cast<size_t>(std::max(0, from)),
                           static_cast<size_t>(std::max(0, to)));
    });
}

bool EditorWindow::TestPlayLevel() {
    if (testPlay_->Running()) return false;
    std::vector<uint8_t> level;
    if (const std::string refused = session_.TestLevelFile(level); !refused.empty()) {
        Say(QString::fromStdString(refused));
        return false;
    }
    const QString game = QApplication::applicationDirPath() + "/zapwall";
    QString problem;
    if (!testPlay_->Start(layout_, game, level, &problem)) {
        Say(Czech("Zkoušku nelze spustit: ") + problem);
        return false;
    }
    centralWidget()->setEnabled(false);
    statusBar()->showMessage(
        Czech("Hra běží se zkušebním hráčem „%1“; po jejím zavření se vrátíte sem.")
            .arg(TestPlayerName()));
    return true;
}

bool EditorWindow::PlaySet() {
    if (session_.Changed() || path_.isEmpty() || askWhereToSave_) {
        if (!Ask(Czech("Hrát se dá jen uložená sada. Uložit ji teď?")) || !Save()) return false;
    }
    const std::string levels = SavePathsFor(path_.toStdString()).Compiled;
    // The set's folder is made here, so what keeps the game from playing the set is said here.
    std::string problem;
    const auto bytes = ReadLevelSetFile(levels, &problem);
    if (!bytes || !LevelSetLayout(layout_, levels, *bytes, &problem)) {
        Say(Czech("Sadu nelze hrát: ") + QString::fromStdString(problem));
        return false;
    }
    const QString game = QApplication::applicationDirPath() + "/zapwall";
    if (!QProcess::startDetached(game, {"--levels", QString::fromStdString(levels)})) {
        Say(Czech("Hru nelze spustit: ") + game);
        return false;
    }
    statusBar()->showMessage(
        Czech("Hra se spouští se sadou %1.").arg(QString::fromStdString(levels)), 5000);
    return true;
}

void EditorWindow::NewSet() {
    path_.clear();
    askWhereToSave_ = false;
    Run([this] { session_.NewSet(); });
}

void EditorWindow::PlaceOnScreen() {
    if (const QScreen* screen = this->screen()) {
        // As large as the whole field wants, which its scroll area would not ask for.
        centralWidget()->setMinimumSize(canvas_->size());
        const QSize wanted = sizeHint();
        centralWidget()->setMinimumSize(0, 0);
        const QSize room = screen->availableGeometry().size().shrunkBy(FrameMargins(this));
        resize(wanted.boundedTo(room));
        // Whatever height is short or to spare, the field takes, not the list of problems.
        if (auto* problems = findChild<QDockWidget*>("problems"))
            resizeDocks({problems}, {problems->minimumSizeHint().height()}, Qt::Vertical);
    }
    CentreOnScreen(this);
}

bool EditorWindow::Open(const QString& path) {
    FilesOnDisk onDisk;
    if (const std::vector<std::string> problems = session_.Open(path.toStdString(), &onDisk);
        !problems.empty()) {
        QString text = Czech("Soubor %1 nelze otevřít:\n").arg(path);
        for (const std::string& p : problems) text += QString::fromStdString(p) + "\n";
        Say(text);
        return false;
    }
    path_ = QString::fromStdString(SavePathsFor(path.toStdString()).Text);
    onDisk_ = std::move(onDisk);
    // A set opened from levels.ko is saved where the author says: a text of that name may be
    // another one.
    askWhereToSave_ = path.endsWith(".ko");
    Refresh();
    return true;
}

void EditorWindow::OpenAsked() {
    if (!MayDiscard()) return;
    const QString path = QFileDialog::getOpenFileName(this, Czech("Otevřít sadu úrovní"),
                                                      QFileInfo(path_).path(), kFileFilter);
    if (!path.isEmpty()) Open(path);
}

bool EditorWindow::SaidRefusals(const QString& what) {
    const std::string refusals = session_.Refusals(what.toStdString());
    if (refusals.empty()) return false;
    Say(QString::fromStdString(refusals));
    return true;
}

bool EditorWindow::Publish(const std::string& server, const QString& title, const QString& author) {
    if (SaidRefusals(Czech("Sadu nelze zveřejnit, hra by ji odmítla:"))) return false;
    statusBar()->showMessage(
        Czech("Sada se zveřejňuje na %1…").arg(QString::fromStdString(server)));
    publisher_->Publish(server, title.toStdString(), author.toStdString(),
                        EncodeLevelSet(session_.Set()), [this](const QString& outcome, bool kept) {
                            statusBar()->clearMessage();
                            Say(outcome, kept ? QMessageBox::Information : QMessageBox::Warning);
                        });
    return true;
}

void EditorWindow::PublishAsked() {
    // A portable copy keeps its settings in its own folder, as the game does.
    UserSettings settings(layout_.Installed
                              ? UserSettings::UserFile()
                              : QString::fromStdString(layout_.UserFolder + "/zapwall.conf"));
    std::string problem;
    const std::optional<std::string> server = HallServerAddress(settings.HallServer(), &problem);
    if (!server) {
        Say(problem.empty() ? Czech("Není nastaven server síně slávy: jeho adresu "
                                    "(hallServer=http://…) zapište do souboru %1.")
                                  .arg(settings.File())
                            : QString::fromStdString(problem));
        return;
    }
    QDialog ask(this);
    ask.setWindowTitle(Czech("Zveřejnit sadu na %1").arg(QString::fromStdString(*server)));
    auto* form = new QFormLayout(&ask);
    auto* title = new QLineEdit(path_.isEmpty() ? QString() : QFileInfo(path_).baseName());
    auto* author = new QLineEdit;
    form->addRow(Czech("Název sady:"), title);
    form->addRow(Czech("Přezdívka autora:"), author);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText(Czech("Zveřejnit"));
    buttons->button(QDialogButtonBox::Cancel)->setText(Czech("Zrušit"));
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, &ask, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &ask, &QDialog::reject);
    if (ask.exec() == QDialog::Accepted)
        Publish(*server, title->text().trimmed(), author->text().trimmed());
}

bool EditorWindow::SaveAs(const QString& path) {
    if (SaidRefusals(Czech("Sadu nelze uložit, hra by ji odmítla:"))) return false;
    const LevelSetCheck& check = session_.Check();
    if (check.Count() > 0 &&
        !Ask(Czech("Sada má %1, hra ji nebude hrát, jak má (první: %2).\nUložit ji přesto?")
                 .arg(Counted(check.Count(), "potíž", "potíže", "potíží"),
                      QString::fromStdString(check.First(1)[0].Text))))
        return false;
    const SavePaths paths = SavePathsFor(path.toStdString());
    // A second editor on the same set may have saved it meanwhile: its edit would be lost. What
    // is on disk now is what the save may replace; one that comes between is refused there.
    FilesOnDisk seen = LookAtFiles(paths);
    if (QString::fromStdString(paths.Text) == path_ && seen != onDisk_ &&
        !Ask(Czech("Sadu %1 mezitím uložil jiný program (třeba druhý editor). Uložením se jeho "
                   "změny ztratí.\nPřesto uložit?")
                 .arg(path_)))
        return false;
    const std::string failed = session_.Keep(paths, &seen);
    // What the save left, or refused, what it would have replaced, is what the next one compares.
    if (failed.empty() || QString::fromStdString(paths.Text) == path_) onDisk_ = std::move(seen);
    if (!failed.empty()) {
        Say(QString::fromStdString(failed));
        return false;
    }
    path_ = QString::fromStdString(paths.Text);
    askWhereToSave_ = false;
    statusBar()->showMessage(
        Czech("Uloženo: %1 a %2").arg(path_, QString::fromStdString(paths.Compiled)), 5000);
    Refresh();
    return true;
}

bool EditorWindow::Save() {
    return path_.isEmpty() || askWhereToSave_ ? SaveAsked() : SaveAs(path_);
}

bool EditorWindow::SaveAsked() {
    const QString path =
        QFileDialog::getSaveFileName(this, Czech("Uložit sadu úrovní (text; levels.ko vedle něj)"),
                                     path_.isEmpty() ? Czech("levels.txt") : path_, kFileFilter);
    return !path.isEmpty() && SaveAs(path);
}

bool EditorWindow::MayDiscard() {
    if (!session_.Changed()) return true;
    if (QuietMessages) return QuietAnswer;
    const auto answer = QMessageBox::question(
        this, Czech("Editor úrovní"), Czech("Sada má neuložené změny. Uložit je?"),
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
    if (answer == QMessageBox::Save) return Save();
    return answer == QMessageBox::Discard;
}

void EditorWindow::closeEvent(QCloseEvent* event) {
    if (testPlay_->Running()) {
        Say(Czech("Nejdřív zavřete zkoušenou hru."));
        event->ignore();
        return;
    }
    if (MayDiscard())
        event->accept();
    else
        event->ignore();
}

}  // namespace ZapModule
