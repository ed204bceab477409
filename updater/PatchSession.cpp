#include "updater/PatchSession.h"

#include "platform/InterProcess.h"
#include "platform/Shell.h"
#include "updater/PackageInstaller.h"
#include "updater/UpdateErrors.h"
#include "updater/UpdatePackage.h"
#include "updater/UpdateSignature.h"

#include <chrono>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <thread>

namespace vorlin::updater {

namespace {

// The window classes of the main program and its companion programs, in
// the order they are closed.
constexpr const char* kProgramsToClose[] = {"THttpGetForm", "TfmSchedulerMain", "TfmWebsrvMain"};

std::string ReadPackageFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw EUpdateError("Can't open the update package " + path);
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0 || static_cast<size_t>(size) > kMaxUnpackedPackage)
        throw EDamagedPackage("the file is too big to be one");
    in.seekg(0);
    std::string data(static_cast<size_t>(size), '\0');
    in.read(data.data(), size);
    if (in.gcount() != size) throw EUpdateError("Can't read the update package " + path);
    return data;
}

std::string RealPath(const std::string& path) {
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) ? std::string(resolved) : std::string();
}

} // namespace

TPatchSession::TPatchSession(std::string programDir, IPatcherView& view) : FDir(std::move(programDir)), FView(view) {
    if (!FDir.empty() && FDir.back() != '/') FDir += '/';
}

bool TPatchSession::WaitForPrograms() {
    FView.SetPhaseText("Waiting for main application shutdown");
    for (const char* windowClass : kProgramsToClose) {
        if (TRemoteWindow window = FindWindowByClass(windowClass))
            PostRemoteMessage(window, WM_SYSCOMMAND, SC_CLOSE);
        while (FindWindowByClass(windowClass)) {
            if (!FView.ProcessMessages()) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(PollIntervalMs));
        }
    }
    return FView.ProcessMessages();
}

void TPatchSession::CheckMainProgram(const std::string& mainProgram) const {
    const std::string program = RealPath(mainProgram), folder = RealPath(FDir);
    if (program.empty() || folder.empty() || program.rfind(folder + "/", 0) != 0 ||
        program.find('/', folder.size() + 1) != std::string::npos)
        throw EUnsafePath("The program to restart is not in the program folder: " + mainProgram);
}

void TPatchSession::ApplyPackage(const std::string& packagePath) {
    const std::string bytes = ReadPackageFile(packagePath);
    VerifyDetached(bytes, packagePath + kSignatureSuffix, FDir + kPublicKeyFile, "The update package");
    const TUpdatePackage package = ReadPackage(bytes);
    TPackageInstaller installer(FDir, FView);
    installer.Install(package);
}

bool TPatchSession::RestartMainProgram(const std::string& mainProgram, const std::vector<std::string>& arguments) {
    std::vector<std::string> restart = {"afterupdate"};
    restart.insert(restart.end(), arguments.begin(), arguments.end());
    return StartDetached(mainProgram, restart);
}

} // namespace vorlin::updater
