// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/test_play.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include "platform/single_copy_lock.h"
#include "sound/component_loader.h"
#include "storage/disk_data_files.h"
#include "storage/hall.h"
#include "storage/replay_folder.h"
#include "storage/roster.h"
#include "storage/tick.h"

namespace ZapModule {

namespace {

// A new player of the menu starts with this many spare balls.
constexpr int16_t kTestPlayerBalls = 3;

bool CopyFolder(const QString& from, const QString& to) {
    if (!QDir().mkpath(to)) return false;
    QDirIterator files(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot,
                       QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QFileInfo file(files.next());
        const QString target = to + "/" + QDir(from).relativeFilePath(file.filePath());
        if (file.isDir() ? !QDir().mkpath(target) : !QFile::copy(file.filePath(), target))
            return false;
    }
    return true;
}

bool Write(const QString& path, const std::vector<uint8_t>& bytes) {
    return ReplaceFile(path.toStdString(), bytes);
}

}  // namespace

QString TestPlayerName() {
    return QString::fromUtf8("Zkouška");
}

QString PrepareTestPlayFolder(const QString& folder, const DataLayout& layout,
                              const QString& gameProgram, const std::vector<uint8_t>& levels) {
    const QString library =
        QString::fromStdString(layout.LibraryFolder + "/" + std::string(kSoundLibraryFile));
    const QString data = folder + "/data";
    if (!QFile::copy(gameProgram, folder + "/zapwall"))
        return QString::fromUtf8("hru nelze zkopírovat: ") + gameProgram;
    // Without its sound library the game plays silently; a copy that fails costs only sound.
    QFile::copy(library, folder + "/" + QFileInfo(library).fileName());
    if (!CopyFolder(QString::fromStdString(layout.DataFolder), data))
        return QString::fromUtf8("data hry nelze zkopírovat z ") +
               QString::fromStdString(layout.DataFolder);
    // The copied player's files of a portable folder go; the test starts with one new player.
    for (const std::string_view kept :
         {std::string_view(kRosterFile), std::string_view(kHallFile), std::string_view(kTickFile),
          kReplayFolder, kLockFileName}) {
        QFileInfo file(data + "/" + QString::fromUtf8(kept.data(), qsizetype(kept.size())));
        if (file.isDir())
            QDir(file.filePath()).removeRecursively();
        else
            QFile::remove(file.filePath());
    }
    PlayerRecord player;
    player.Name = TestPlayerName().toStdString();
    player.SpareBalls = kTestPlayerBalls;
    if (!Write(data + "/levels.ko", levels) ||
        !Write(data + "/" + QString::fromUtf8(kRosterFile), SerializeRoster({player})))
        return QString::fromUtf8("do dočasné složky nelze zapisovat: ") + folder;
    return {};
}

bool TestPlay::Start(const DataLayout& layout, const QString& gameProgram,
                     const std::vector<uint8_t>& levels, QString* problem) {
    if (Running()) return false;
    folder_ = std::make_unique<QTemporaryDir>();
    if (!folder_->isValid()) {
        *problem = QString::fromUtf8("dočasnou složku nelze vytvořit");
        return false;
    }
    *problem = PrepareTestPlayFolder(folder_->path(), layout, gameProgram, levels);
    if (!problem->isEmpty()) {
        folder_.reset();
        return false;
    }
    process_ = new QProcess(this);
    process_->setProgram(folder_->path() + "/zapwall");
    // The menu opens with the test player chosen: Enter or Start plays at once.
    process_->setArguments({QStringLiteral("--player"), TestPlayerName()});
    process_->setWorkingDirectory(folder_->path());
    process_->setProcessChannelMode(QProcess::ForwardedChannels);
    const auto finish = [this] {
        process_->deleteLater();
        process_ = nullptr;
        folder_.reset();
        if (OnFinished) OnFinished();
    };
    connect(process_, &QProcess::finished, this, finish);
    connect(process_, &QProcess::errorOccurred, this, [this, finish](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart) finish();
    });
    process_->start();
    return true;
}

}  // namespace ZapModule
