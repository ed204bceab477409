// A temporary program directory for the desktop tests, with helpers that
// write projects into its "Projects" tree the way the program stores them.
#pragma once

#include "project/DownloadProject.h"

#include <QDir>
#include <QTemporaryDir>
#include <string>

namespace vorlin::test {

class TAppTestHome {
public:
    TAppTestHome();
    std::string Home() const;                    // with a trailing "/"
    // host path of a node path ("/Projects/News/Daily" -> .../Projects/Projects/News/Daily)
    std::string PathOf(const std::string& nodePath) const;
    // Writes nodePath + ".prj" (creating its folder) with the URL and target.
    void WriteProject(const std::string& nodePath, const std::string& url = "http://127.0.0.1:1/",
                      const std::string& destination = std::string());
    void WriteFile(const std::string& hostPath, const std::string& text = "x") const;
    bool Exists(const std::string& hostPath) const;

private:
    QTemporaryDir FDir;
};

} // namespace vorlin::test
