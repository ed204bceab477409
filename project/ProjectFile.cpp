// The project file (".prj"): forty tagged values in a fixed order. Values 36
// to 40 came later; files written before them end after value 35.
#include "project/DownloadProject.h"

#include "platform/FileSystem.h"
#include "platform/Stream.h"
#include "project/PasswordScrambler.h"
#include "project/TaggedStream.h"

namespace vorlin {

// Private to its owner: it holds the scrambled password.
void TDownloadProject::SaveToFile(const std::string& hostPath) const {
    WriteFileAtomically(hostPath, [this](TFileStream& file) {
        TTaggedWriter w(file);
        w.WriteBoolean(UseMaxFileSize);
        w.WriteBoolean(UseMaxFileCount);
        w.WriteBoolean(UseMinDriveSpace);
        w.WriteBoolean(UseMaxLevelCount);
        w.WriteBoolean(UseMaxProjSize);
        w.WriteBoolean(DownloadBckgrds);
        w.WriteBoolean(FollowExternalLinks);
        w.WriteBoolean(SpareFlag);
        w.WriteBoolean(UseMaxExternalLevelCount);
        w.WriteBoolean(FollowExternalImages);
        w.WriteBoolean(IsNew);
        w.WriteString(URL);
        w.WriteString(Destination);
        w.WriteString(MirroringChangeQ);
        w.WriteInteger(MaxFileSize);
        w.WriteInteger(MaxExternalLevelCount);
        w.WriteInteger(MaxFileCount);
        w.WriteInteger(MinDriveSpace);
        w.WriteInteger(MaxLevelCount);
        w.WriteInteger(MaxProjSize);
        // The byte totals are stored as their low 32 bits.
        w.WriteInteger(static_cast<int32_t>(static_cast<uint32_t>(ProjectSize)));
        w.WriteInteger(static_cast<int32_t>(static_cast<uint32_t>(RunSize)));
        w.WriteInteger(FileCount);
        w.WriteInteger(DownloadedCount);
        w.WriteInteger(FilteredOutCount);
        w.WriteInteger(AverageCPS);
        w.WriteInteger(PeekCPS);
        w.WriteDate(LastDuration);
        w.WriteDate(LastDownloadDate);
        w.WriteInteger(ProjectMode);
        w.WriteInteger(InvalidCharMode);
        w.WriteInteger(ScopeMode);
        w.WriteListBegin();
        for (const std::string& entry : ExcludeList) w.WriteString(entry);
        w.WriteListEnd();
        w.WriteInteger(MinFileSize);
        w.WriteBoolean(UseMinFileSize);
        w.WriteBoolean(UseAutentfication);
        w.WriteString(UserName);
        w.WriteString(ScramblePassword(Password));
        w.WriteBoolean(ResetOnProjStart);
        w.WriteInteger(JavaScriptMode);
        w.Flush();
    }, kPrivateFileMode);
    SaveProjectManners(MannersFileOf(hostPath), Manners);
}

TProjectLoadReport TDownloadProject::LoadFromFile(const std::string& hostPath) {
    // A save that was killed half-way left its temporary copy behind.
    RemoveStaleTemporaries(hostPath);
    TFileStream file(hostPath, fmOpenRead);
    TProjectLoadReport report = LoadFromStream(file);
    const std::string manners = MannersFileOf(hostPath);
    RemoveStaleTemporaries(manners);
    LoadProjectManners(manners, Manners);
    return report;
}

TProjectLoadReport TDownloadProject::LoadFromStream(TStream& stream) {
    TProjectLoadReport report;
    const int64_t size = stream.Size() - stream.Position();
    if (size == 0) return report;
    TTaggedReader r(stream);
    int& n = report.ValuesRead;
    auto more = [&] { return r.Position() < size; };
    try {
        UseMaxFileSize = r.ReadBoolean(), ++n;
        UseMaxFileCount = r.ReadBoolean(), ++n;
        UseMinDriveSpace = r.ReadBoolean(), ++n;
        UseMaxLevelCount = r.ReadBoolean(), ++n;
        UseMaxProjSize = r.ReadBoolean(), ++n;
        DownloadBckgrds = r.ReadBoolean(), ++n;
        FollowExternalLinks = r.ReadBoolean(), ++n;
        SpareFlag = r.ReadBoolean(), ++n;
        UseMaxExternalLevelCount = r.ReadBoolean(), ++n;
        FollowExternalImages = r.ReadBoolean(), ++n;
        IsNew = r.ReadBoolean(), ++n;
        URL = r.ReadString(), ++n;
        Destination = r.ReadString(), ++n;
        MirroringChangeQ = r.ReadString(), ++n;
        MaxFileSize = r.ReadInteger(), ++n;
        MaxExternalLevelCount = r.ReadInteger(), ++n;
        MaxFileCount = r.ReadInteger(), ++n;
        MinDriveSpace = r.ReadInteger(), ++n;
        MaxLevelCount = r.ReadInteger(), ++n;
        MaxProjSize = r.ReadInteger(), ++n;
        ProjectSize = r.ReadInteger(), ++n;  // sign-extended, as stored
        RunSize = r.ReadInteger(), ++n;
        FileCount = r.ReadInteger(), ++n;
        DownloadedCount = r.ReadInteger(), ++n;
        FilteredOutCount = r.ReadInteger(), ++n;
        AverageCPS = r.ReadInteger(), ++n;
        PeekCPS = r.ReadInteger(), ++n;
        LastDuration = r.ReadDate(), ++n;
        LastDownloadDate = r.ReadDate(), ++n;
        ProjectMode = static_cast<TProjectMode>(r.ReadInteger()), ++n;
        InvalidCharMode = static_cast<TInvalidCharMode>(r.ReadInteger()), ++n;
        ScopeMode = static_cast<TScopeMode>(r.ReadInteger()), ++n;
        r.ReadListBegin();
        ExcludeList.clear();
        while (!r.EndOfList()) ExcludeList.push_back(r.ReadString());
        r.ReadListEnd(), ++n;
        MinFileSize = r.ReadInteger(), ++n;
        UseMinFileSize = r.ReadBoolean(), ++n;
        if (more()) {
            UseAutentfication = r.ReadBoolean(), ++n;
            UserName = r.ReadString(), ++n;
            // Not a read error: a password that isn't Base64 propagates.
            std::string scrambled = r.ReadString();
            Password = UnscramblePassword(scrambled), ++n;
        }
        if (more()) ResetOnProjStart = r.ReadBoolean(), ++n;
        if (more()) JavaScriptMode = static_cast<TJavaScriptMode>(r.ReadInteger()), ++n;
    } catch (const ETaggedReadError& e) {
        report.ReadError = e.Message();
    }
    return report;
}

} // namespace vorlin
