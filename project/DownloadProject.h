// One download job: start URL, target directory, the limits and filters that
// decide which links are followed, credentials, the statistics of its last
// runs and its link list. Persists in the project file (".prj").
#pragma once

#include "platform/DateTime.h"
#include "project/ProjectManners.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vorlin {

class TDownloadLinks;
class TStream;
class TDownloadedList;
class TFilteredOutList;
class IRuleList;
class ILinkPluginVotes;

enum TProjectMode : uint8_t {
    pmOfflineBrowse = 0,
    pmMirror = 1,
    pmShowStructure = 2,
    pmHalfAutomatic = 3,
};

enum TInvalidCharMode : uint8_t {
    icDontFollow = 0,
    icReplace = 1,
    icComma = 2,
};

enum TScopeMode : uint8_t {
    smStayInDirectory = 0,
    smStayOnServer = 1,
    smStayInDomain = 2,
};

enum TJavaScriptMode : uint8_t {
    jsInterpret = 0,
    jsIgnore = 1,
    jsDelete = 2,
};

// What LoadFromFile could read: values 1..ValuesRead of the project file.
// A file of an older layout ends after value 35 with no ReadError; a file
// that ends inside a value or holds a value of the wrong kind has one.
struct TProjectLoadReport {
    int ValuesRead = 0;
    std::string ReadError;
};

class TDownloadProject {
public:
    TDownloadProject();
    ~TDownloadProject();
    TDownloadProject(const TDownloadProject&) = delete;
    TDownloadProject& operator=(const TDownloadProject&) = delete;

    // Copies the settings (not the statistics, JavaScriptMode, DataFileName
    // or link data) and clears IsNew, as making a project from a template does.
    void Assign(const TDownloadProject& source);

    // Project file: SaveToFile replaces the file atomically (and writes
    // Manners beside it, see ProjectManners.h); LoadFromFile
    // keeps what was read when the data ends early or holds a wrong value
    // (and says so in its report). A missing file and a password that is not
    // valid Base64 throw.
    void SaveToFile(const std::string& hostPath) const;
    TProjectLoadReport LoadFromFile(const std::string& hostPath);
    // The same from the bytes of a project file, read from the position on.
    TProjectLoadReport LoadFromStream(TStream& stream);

    // True unless ProjectMode is pmMirror: stored pages get rewritten links.
    bool RewritesLinks() const { return ProjectMode != pmMirror; }
    // The text put in place of characters a file name can't hold.
    std::string InvalidCharReplacement() const;

    // Fields in their declared order.
    bool UseMaxFileSize = false;
    bool UseMinFileSize = false;
    bool UseMaxFileCount = false;
    bool UseMinDriveSpace = false;
    bool UseMaxLevelCount = false;
    bool UseMaxProjSize = false;
    bool DownloadBckgrds = false;
    bool FollowExternalLinks = false;
    bool SpareFlag = false;
    bool UseMaxExternalLevelCount = false;
    bool FollowExternalImages = false;
    bool UseAutentfication = false;
    bool ResetOnProjStart = false;
    std::string MirroringChangeQ;
    std::string URL;
    std::string Destination;
    std::string DataFileName;  // base path + ".dat"; not stored
    int32_t MaxFileSize = 0;   // KB
    int32_t MinFileSize = 0;   // KB
    int32_t MaxExternalLevelCount = 0;
    int32_t MaxFileCount = 0;
    int32_t MinDriveSpace = 0;  // KB
    int32_t MaxLevelCount = 0;
    int32_t MaxProjSize = 0;  // KB per run
    std::vector<std::string> ExcludeList;
    TProjectMode ProjectMode = pmOfflineBrowse;
    TInvalidCharMode InvalidCharMode = icDontFollow;
    TScopeMode ScopeMode = smStayInDirectory;
    TJavaScriptMode JavaScriptMode = jsInterpret;
    TDateTime LastDownloadDate = 0;
    TDateTime LastDuration = 0;
    int32_t AverageCPS = 0;
    int32_t PeekCPS = 0;
    std::string StartServer;    // run
    std::string StartDomain;    // run
    std::string StartDocument;  // run
    std::string TargetDir;      // run: target directory with a trailing separator
    std::string StartURL;       // run
    std::string UserName;
    std::string Password;
    std::unique_ptr<TDownloadLinks> Links;
    bool IsNew = true;
    bool StructureShown = false;
    std::unique_ptr<TFilteredOutList> FilteredOut;
    std::unique_ptr<TDownloadedList> Downloaded;
    int64_t ProjectSize = 0;
    int64_t RunSize = 0;
    int32_t FileCount = 0;
    int32_t FilteredOutCount = 0;
    int32_t DownloadedCount = 0;

    // robots.txt, waits, rate limit and cookies files: stored beside the
    // project file, copied by Assign.
    TProjectManners Manners;
    // The rules of the running download (owned by the run), or none.
    IRuleList* Rules = nullptr;
    // The plugins' votes; the no-plugin votes unless a plugin system is attached.
    ILinkPluginVotes* Plugins;
};

} // namespace vorlin
