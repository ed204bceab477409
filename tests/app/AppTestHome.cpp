#include "tests/app/AppTestHome.h"

#include "platform/FileSystem.h"

#include <QFile>
#include <QFileInfo>

namespace vorlin::test {

TAppTestHome::TAppTestHome() : FDir(QDir::tempPath() + "/vorlin-app-test-XXXXXX") {
    // A window's automatic update check asks a closed loopback port, never
    // the makers' server.
    qputenv("HTTPVORLIN_UPDATE_HOST", "http://127.0.0.1:1/");
}

std::string TAppTestHome::Home() const { return FDir.path().toStdString() + "/"; }

std::string TAppTestHome::PathOf(const std::string& nodePath) const { return Home() + "Projects" + nodePath; }

void TAppTestHome::WriteProject(const std::string& nodePath, const std::string& url, const std::string& destination) {
    const std::string base = PathOf(nodePath);
    ForceDirectories(ExtractFilePath(base));
    TDownloadProject project;
    project.URL = url;
    project.Destination = destination.empty() ? Home() + "copies" + nodePath : destination;
    project.SaveToFile(base + ".prj");
}

void TAppTestHome::WriteFile(const std::string& hostPath, const std::string& text) const {
    ForceDirectories(ExtractFilePath(hostPath));
    QFile file(QString::fromStdString(hostPath));
    if (file.open(QIODevice::WriteOnly)) file.write(text.data(), static_cast<qint64>(text.size()));
}

bool TAppTestHome::Exists(const std::string& hostPath) const { return QFileInfo::exists(QString::fromStdString(hostPath)); }

} // namespace vorlin::test
