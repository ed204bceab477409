// How a project's runs treat servers: robots.txt, the wait between two
// requests to one server, the run's rate limit, and the cookies files.
// These settings came after the project file's layout was fixed; they live
// beside it in B".prj.manners" (see README.md), so that the project file
// stays what older builds read and write.
#pragma once

#include <cstdint>
#include <string>

namespace vorlin {

struct TProjectManners {
    bool ObeyRobots = true;
    double WaitSeconds = 0;   // between two requests to one server; 0: none
    bool RandomWait = false;  // 0.5 to 1.5 times the wait
    int64_t LimitRate = 0;    // bytes per second for the whole run; 0: none
    std::string LoadCookies;  // a Netscape cookies file read at the start
    std::string SaveCookies;  // written at the end
    bool KeepSessionCookies = false;

    bool IsDefault() const;
    bool operator==(const TProjectManners&) const = default;
};

// The side file of a project file: its path + ".manners".
std::string MannersFileOf(const std::string& projectFile);
// "key=value" lines; unknown keys and bad values are ignored, so that a
// later build's file loads. False when there is no file (nothing changed).
bool LoadProjectManners(const std::string& hostPath, TProjectManners& manners);
// Written under a temporary name and renamed, readable by the owner only
// (the cookies files it names are the user's secrets). Default settings
// remove the file instead.
void SaveProjectManners(const std::string& hostPath, const TProjectManners& manners);

} // namespace vorlin
