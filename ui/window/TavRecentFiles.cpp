#include "ui/window/TavRecentFiles.h"

#include <QSettings>
#include <algorithm>

namespace {

constexpr const char* kKey = "recentFiles";

QSettings settings() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("tav-explorer"),
                     QStringLiteral("tav-explorer"));
}

}  // namespace

TRecentFiles::TRecentFiles() {
    const QVariantList stored = settings().value(kKey).toList();
    for (const QVariant& entry : stored) {
        const QByteArray path = entry.toByteArray();
        if (path.isEmpty() || static_cast<int>(m_paths.size()) == kMaxRecentFiles) continue;
        m_paths.push_back(path.toStdString());
    }
}

void TRecentFiles::add(const std::string& path) {
    std::erase(m_paths, path);
    m_paths.insert(m_paths.begin(), path);
    if (static_cast<int>(m_paths.size()) > kMaxRecentFiles) m_paths.resize(kMaxRecentFiles);
    save();
}

void TRecentFiles::remove(const std::string& path) {
    std::erase(m_paths, path);
    save();
}

void TRecentFiles::save() const {
    // Stored as bytes, so that a path in any encoding comes back as it was.
    QVariantList stored;
    for (const std::string& path : m_paths)
        stored.push_back(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
    QSettings store = settings();
    store.setValue(kKey, stored);
}
