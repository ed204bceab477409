// `vorlin show-project FILE.prj`: every value of a project file, readable.
#include "cli/Command.h"
#include "cli/ReadableText.h"
#include "platform/HiddenPasswords.h"

#include "platform/Exception.h"
#include "platform/FileSystem.h"
#include "project/DownloadProject.h"

#include <cstdio>
#include <iostream>

namespace vorlin::cli {

namespace {

const char* const kUsage =
    "usage: vorlin show-project [--show-password] FILE.prj\n"
    "Prints every value stored in a project file (passwords, also one in the\n"
    "URL, as *** unless --show-password). Exits 1 when the file is\n"
    "missing, damaged or truncated (the values read before the damage are shown).\n";

const char* ProjectModeName(int mode) {
    static const char* const names[] = {"offline-browse", "mirror", "show-structure",
                                        "half-automatic"};
    return mode >= 0 && mode < 4 ? names[mode] : "unknown";
}

const char* InvalidCharModeName(int mode) {
    static const char* const names[] = {"dont-follow", "replace", "comma"};
    return mode >= 0 && mode < 3 ? names[mode] : "unknown";
}

const char* ScopeModeName(int mode) {
    static const char* const names[] = {"stay-in-directory", "stay-on-server", "stay-in-domain"};
    return mode >= 0 && mode < 3 ? names[mode] : "unknown";
}

const char* JavaScriptModeName(int mode) {
    static const char* const names[] = {"interpret", "ignore", "delete"};
    return mode >= 0 && mode < 3 ? names[mode] : "unknown";
}

class TFieldPrinter {
public:
    explicit TFieldPrinter(int valuesRead) : FValuesRead(valuesRead) {}

    // Prints the value numbered `number` in the file, or notes that the file
    // ended before it.
    void Field(int number, const char* name, const std::string& value) {
        std::string shown = number <= FValuesRead ? value : "(not in the file)";
        std::printf("%2d %-26s %s\n", number, name, shown.c_str());
    }
    void Flag(int number, const char* name, bool value) {
        Field(number, name, value ? "true" : "false");
    }
    void Number(int number, const char* name, long long value, const char* unit = "") {
        Field(number, name, Format("%lld%s", value, unit));
    }
    void Text(int number, const char* name, const std::string& value) {
        Field(number, name, JsonString(value));
    }
    void Mode(int number, const char* name, int value, const char* label) {
        Field(number, name, Format("%d (%s)", value, label));
    }

private:
    int FValuesRead;
};

int ShowProject(const std::vector<std::string>& args) {
    bool showPassword = false;
    std::string path;
    int status = ReadFileArguments(args, "show-project", kUsage, "--show-password", showPassword, path);
    if (status >= 0) return status;

    TDownloadProject p;
    TProjectLoadReport report;
    try {
        report = p.LoadFromFile(path);
    } catch (const Exception& e) {
        std::cerr << "vorlin show-project: " << path << ": " << e.Message() << "\n";
        return kExitFailure;
    }
    int64_t size = FileSizeOf(path);
    std::printf("project file %s (%lld bytes, %d of 40 values)\n", path.c_str(),
                static_cast<long long>(size), report.ValuesRead);

    TFieldPrinter out(report.ValuesRead);
    out.Flag(1, "UseMaxFileSize", p.UseMaxFileSize);
    out.Flag(2, "UseMaxFileCount", p.UseMaxFileCount);
    out.Flag(3, "UseMinDriveSpace", p.UseMinDriveSpace);
    out.Flag(4, "UseMaxLevelCount", p.UseMaxLevelCount);
    out.Flag(5, "UseMaxProjSize", p.UseMaxProjSize);
    out.Flag(6, "DownloadBckgrds", p.DownloadBckgrds);
    out.Flag(7, "FollowExternalLinks", p.FollowExternalLinks);
    out.Flag(8, "SpareFlag", p.SpareFlag);
    out.Flag(9, "UseMaxExternalLevelCount", p.UseMaxExternalLevelCount);
    out.Flag(10, "FollowExternalImages", p.FollowExternalImages);
    out.Flag(11, "IsNew", p.IsNew);
    out.Text(12, "URL", showPassword ? p.URL : HideURLPasswords(p.URL));
    out.Text(13, "Destination", p.Destination);
    out.Text(14, "MirroringChangeQ", p.MirroringChangeQ);
    out.Number(15, "MaxFileSize", p.MaxFileSize, " KB");
    out.Number(16, "MaxExternalLevelCount", p.MaxExternalLevelCount);
    out.Number(17, "MaxFileCount", p.MaxFileCount);
    out.Number(18, "MinDriveSpace", p.MinDriveSpace, " KB");
    out.Number(19, "MaxLevelCount", p.MaxLevelCount);
    out.Number(20, "MaxProjSize", p.MaxProjSize, " KB");
    out.Number(21, "ProjectSize", p.ProjectSize, " bytes");
    out.Number(22, "RunSize", p.RunSize, " bytes");
    out.Number(23, "FileCount", p.FileCount);
    out.Number(24, "DownloadedCount", p.DownloadedCount);
    out.Number(25, "FilteredOutCount", p.FilteredOutCount);
    out.Number(26, "AverageCPS", p.AverageCPS, " bytes/s");
    out.Number(27, "PeekCPS", p.PeekCPS, " bytes/s");
    out.Field(28, "LastDuration", DurationText(p.LastDuration));
    out.Field(29, "LastDownloadDate", DateText(p.LastDownloadDate));
    out.Mode(30, "ProjectMode", p.ProjectMode, ProjectModeName(p.ProjectMode));
    out.Mode(31, "InvalidCharMode", p.InvalidCharMode, InvalidCharModeName(p.InvalidCharMode));
    out.Mode(32, "ScopeMode", p.ScopeMode, ScopeModeName(p.ScopeMode));
    std::string excludes;
    for (const std::string& e : p.ExcludeList) excludes += (excludes.empty() ? "" : " ") + JsonString(e);
    out.Field(33, "ExcludeList", excludes.empty() ? "(none)" : excludes);
    out.Number(34, "MinFileSize", p.MinFileSize, " KB");
    out.Flag(35, "UseMinFileSize", p.UseMinFileSize);
    out.Flag(36, "UseAutentfication", p.UseAutentfication);
    out.Text(37, "UserName", p.UserName);
    out.Field(38, "Password",
              showPassword || p.Password.empty()
                  ? JsonString(p.Password)
                  : Format("(%d characters; --show-password shows it)",
                           static_cast<int>(p.Password.size())));
    out.Flag(39, "ResetOnProjStart", p.ResetOnProjStart);
    out.Mode(40, "JavaScriptMode", p.JavaScriptMode, JavaScriptModeName(p.JavaScriptMode));

    std::fflush(stdout);  // the values first, then what went wrong
    if (!report.ReadError.empty()) {
        std::cerr << "vorlin show-project: " << path << ": damaged or truncated after value "
                  << report.ValuesRead << ": " << report.ReadError << "\n";
        return kExitFailure;
    }
    if (size == 0) {
        std::cerr << "vorlin show-project: " << path << ": the file is empty\n";
        return kExitFailure;
    }
    return kExitOk;
}

} // namespace

VORLIN_COMMAND("show-project", "print every value of a project file (.prj)", ShowProject);

} // namespace vorlin::cli
