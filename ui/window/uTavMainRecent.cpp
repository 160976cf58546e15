// The main window's ways to a data file besides the open dialog: the recent files in "File"
// and a file dropped on the window.

#include <sys/stat.h>

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMenu>
#include <QMimeData>
#include <QUrl>
#include <algorithm>
#include <filesystem>

#include "core/uTavObj.h"
#include "ui/dialogs/TavUiOps.h"
#include "ui/window/TavRecentFiles.h"
#include "ui/window/uTavMain.h"

namespace {

// The one local file a drag carries, as the operating system's bytes; empty for anything else.
std::string droppedFile(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls() || data->urls().size() != 1) return {};
    const QUrl url = data->urls().front();
    if (!url.isLocalFile()) return {};
    return QFile::encodeName(url.toLocalFile()).toStdString();
}

}  // namespace

void TfrmTavMain::dragEnterEvent(QDragEnterEvent* event) {
    if (!m_busy && !droppedFile(event->mimeData()).empty()) event->acceptProposedAction();
}

void TfrmTavMain::dropEvent(QDropEvent* event) {
    const std::string path = droppedFile(event->mimeData());
    if (path.empty()) return;
    event->acceptProposedAction();
    loadFile(path);
}

void TfrmTavMain::rememberRecentFile(const std::string& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    m_recentFiles->add(error ? path : absolute.lexically_normal().string());
    rebuildRecentFilesMenu();
}

void TfrmTavMain::rebuildRecentFilesMenu() {
    // The entries are made once and only relabelled: one of them may be the action whose
    // command is running.
    while (static_cast<int>(m_recentActions.size()) < TRecentFiles::kMaxRecentFiles) {
        const int number = static_cast<int>(m_recentActions.size()) + 1;
        auto* action = new QAction(m_fileMenu);
        action->setObjectName(QStringLiteral("RecentFile%1").arg(number));
        connect(action, &QAction::triggered, this, [this, action] {
            const QByteArray path = action->data().toByteArray();
            recentFileClick(path.toStdString());
        });
        m_fileMenu->insertAction(m_exitSeparator, action);
        m_recentActions.push_back(action);
    }
    const std::vector<std::string>& paths = m_recentFiles->paths();
    const auto fileName = [](const std::string& path) {
        return std::filesystem::path(path).filename().string();
    };
    for (size_t i = 0; i < m_recentActions.size(); ++i) {
        QAction* action = m_recentActions[i];
        action->setVisible(i < paths.size());
        if (i >= paths.size()) continue;
        const QByteArray path = QByteArray::fromStdString(paths[i]);
        QString name = QFile::decodeName(QByteArray::fromStdString(fileName(paths[i])));
        // Two entries of one name tell themselves apart by their folders.
        const bool twin = std::count_if(paths.begin(), paths.end(), [&](const std::string& other) {
                              return fileName(other) == fileName(paths[i]);
                          }) > 1;
        if (twin) {
            const std::string folder = std::filesystem::path(paths[i]).parent_path().string();
            name += QStringLiteral(" (%1)").arg(QFile::decodeName(folder.c_str()));
        }
        name.replace(QLatin1Char('&'), QStringLiteral("&&"));
        action->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(name));
        action->setToolTip(QFile::decodeName(path));
        action->setData(path);
    }
    m_exitSeparator->setVisible(!paths.empty());
}

void TfrmTavMain::recentFileClick(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        // Gone (moved or deleted): the entry goes, and the user learns why.
        runCommand([&] {
            m_recentFiles->remove(path);
            rebuildRecentFilesMenu();
            m_ui.showMessage("The file \"" + displayPath(path) +
                             "\" no longer exists; it was taken off the recent files.");
        });
        return;
    }
    loadFile(path);
}
