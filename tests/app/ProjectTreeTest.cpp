// The project tree and its files on disk: loading, caption rules, renaming,
// deleting (with the downloaded files), moving and finding by node path,
// and its item model under QAbstractItemModelTester.
#include "app/ProjectTree.h"
#include "app/ProjectTreeModel.h"
#include "platform/FileSystem.h"
#include "project/DownloadLink.h"
#include "project/DownloadLinks.h"
#include "project/DownloadProject.h"
#include "project/ProgramSettings.h"
#include "tests/app/AppTestHome.h"

#include <QAbstractItemModelTester>
#include <QMimeData>
#include <QtTest>

using namespace vorlin;
using namespace vorlin::app;
using vorlin::test::TAppTestHome;

namespace {

std::unique_ptr<TProjectTree> MakeTree(const TAppTestHome& home) {
    auto tree = std::make_unique<TProjectTree>(home.Home(), std::vector<std::string>{"Projects", "Quick Projects", "Templates"});
    tree->Load();
    return tree;
}

std::vector<std::string> Captions(const TProjectNode* node) {
    std::vector<std::string> captions;
    for (const auto& child : node->Children) captions.push_back(child->Caption);
    return captions;
}

// A link data file with one downloaded page whose file lies below target.
void WriteLinkData(const std::string& dataFile, const std::string& target) {
    TDownloadProject project;
    auto* link = new TDownloadLink(&project);
    link->SetServer("http://www.example.com/");
    link->Path = "docs/page.html";
    link->LocalFileName = "docs\\page.html";
    link->State = lsDownloaded;
    project.Links->Add(link);
    project.Links->SaveToFile(dataFile);
    ForceDirectories(target + "/www.example.com/docs");
}

} // namespace

class ProjectTreeTest : public QObject {
    Q_OBJECT
private slots:
    void LoadsFoldersFirstAndOnlyExactProjectFiles();
    void CaptionsAreCleanedAndMadeUnique();
    void RenameRefusesASiblingsCaptionAndMovesTheProjectFiles();
    void RenamingAFolderRenamesItsDirectory();
    void DeletingAProjectWithItsDownloadedFiles();
    void DeletingAFolderKeepsFilesThatAreNotOurs();
    void MovesFollowTheRestrictions();
    void MovingAProjectRenamesItsFilesAndKeepsTheProject();
    void MovingAFolderMergesIntoASameNamedFolder();
    void FindsNodesByPathAndId();
    void ModelStaysConsistentThroughChanges();
};

void ProjectTreeTest::LoadsFoldersFirstAndOnlyExactProjectFiles() {
    TAppTestHome home;
    home.WriteProject("/Projects/B");
    home.WriteProject("/Projects/A/X");
    home.WriteFile(home.PathOf("/Projects/c.PRJ"));
    home.WriteFile(home.PathOf("/Projects/notes.txt"));
    home.WriteProject("/Quick Projects/q");
    home.WriteProject("/Templates/t");
    home.WriteFile(home.PathOf("/Projects/broken.prj"), "not a project");
    auto tree = MakeTree(home);
    QCOMPARE(tree->TopCount(), 3);
    QCOMPARE(tree->Projects()->Caption, std::string("Projects"));
    QCOMPARE(tree->Templates()->Caption, std::string("Templates"));
    // Folder first, then the projects; "c.PRJ" and "notes.txt" are not projects.
    QCOMPARE(Captions(tree->Projects()), (std::vector<std::string>{"A", "B", "broken"}));
    TProjectNode* x = tree->Projects()->Children[0]->Children[0].get();
    QCOMPARE(tree->NodePath(x), std::string("/Projects/A/X"));
    QVERIFY(x->Project);
    QCOMPARE(x->Project->DataFileName, home.PathOf("/Projects/A/X") + ".dat");
    QCOMPARE(tree->KindOf(tree->Templates()->Children[0].get()), TNodeKind::nkTemplate);
    QCOMPARE(tree->KindOf(x), TNodeKind::nkProject);
    QCOMPARE(tree->KindOf(tree->Projects()->Children[0].get()), TNodeKind::nkFolder);
    // An unreadable project keeps its node, without a project, and its file.
    TProjectNode* broken = tree->Projects()->Children[2].get();
    QVERIFY(!broken->Project);
    tree->SaveAll();
    QVERIFY(home.Exists(home.PathOf("/Projects/broken.prj")));
}

void ProjectTreeTest::CaptionsAreCleanedAndMadeUnique() {
    QCOMPARE(TProjectTree::CleanCaption("a/b:c", '_'), std::string("a_b_c"));
    QCOMPARE(TProjectTree::CleanCaption("x\"*<>?\\|\t", ','), std::string("x,,,,,,,,"));
    TAppTestHome home;
    auto tree = MakeTree(home);
    TProjectNode* first = tree->NewProject(tree->Projects(), "Neues Projekt");
    TProjectNode* second = tree->NewProject(tree->Projects(), "Neues Projekt");
    TProjectNode* third = tree->NewProject(tree->Projects(), "Neues Projekt");
    QCOMPARE(first->Caption, std::string("Neues Projekt"));
    QCOMPARE(second->Caption, std::string("Neues Projekt (2)"));
    QCOMPARE(third->Caption, std::string("Neues Projekt (3)"));
    QVERIFY(home.Exists(home.PathOf("/Projects/Neues Projekt (3).prj")));
    // Templates are cleaned with ",".
    TProjectNode* templ = tree->NewProject(tree->Templates(), "a/b");
    QCOMPARE(templ->Caption, std::string("a,b"));
    TProjectNode* folder = tree->NewFolder(tree->Projects(), "News:Daily");
    QCOMPARE(folder->Caption, std::string("News_Daily"));
    QVERIFY(DirectoryExists(home.PathOf("/Projects/News_Daily")));
}

void ProjectTreeTest::RenameRefusesASiblingsCaptionAndMovesTheProjectFiles() {
    TAppTestHome home;
    home.WriteProject("/Projects/One");
    home.WriteProject("/Projects/Two");
    for (const char* suffix : {".prj.rules", ".prj.plugins", ".prj.manners", ".dat", ".dat.plugins"})
        home.WriteFile(home.PathOf("/Projects/One") + suffix);
    auto tree = MakeTree(home);
    TProjectNode* one = tree->Projects()->Children[0].get();
    QCOMPARE(tree->Rename(one, "Two"), TProjectTree::TRenameResult::rrDuplicate);
    QCOMPARE(one->Caption, std::string("One"));
    QVERIFY(home.Exists(home.PathOf("/Projects/One.dat")));
    QCOMPARE(tree->Rename(one, ""), TProjectTree::TRenameResult::rrIgnored);
    QCOMPARE(tree->Rename(one, "a/b:c"), TProjectTree::TRenameResult::rrRenamed);
    QCOMPARE(one->Caption, std::string("a_b_c"));
    for (const char* suffix : kProjectFileSuffixes) {
        QVERIFY2(home.Exists(home.PathOf("/Projects/a_b_c") + suffix), suffix);
        QVERIFY2(!home.Exists(home.PathOf("/Projects/One") + suffix), suffix);
    }
    QCOMPARE(one->Project->DataFileName, home.PathOf("/Projects/a_b_c.dat"));
    // A caption that only cleaning makes equal to a sibling's is refused too.
    QCOMPARE(tree->Rename(one, "T\two"), TProjectTree::TRenameResult::rrRenamed);
    QCOMPARE(tree->Rename(tree->Projects()->Children[1].get(), "T\two"), TProjectTree::TRenameResult::rrDuplicate);
}

void ProjectTreeTest::RenamingAFolderRenamesItsDirectory() {
    TAppTestHome home;
    home.WriteProject("/Projects/News/Daily");
    auto tree = MakeTree(home);
    TProjectNode* news = tree->Projects()->Children[0].get();
    QCOMPARE(tree->Rename(news, "Zeitung"), TProjectTree::TRenameResult::rrRenamed);
    QVERIFY(home.Exists(home.PathOf("/Projects/Zeitung/Daily.prj")));
    QVERIFY(!DirectoryExists(home.PathOf("/Projects/News")));
    // The projects inside follow.
    QCOMPARE(news->Children[0]->Project->DataFileName, home.PathOf("/Projects/Zeitung/Daily.dat"));
    QCOMPARE(tree->Rename(tree->Projects(), "Other"), TProjectTree::TRenameResult::rrIgnored);
}

void ProjectTreeTest::DeletingAProjectWithItsDownloadedFiles() {
    TAppTestHome home;
    const std::string target = home.Home() + "copy";
    home.WriteProject("/Projects/Site", "http://www.example.com/", target);
    home.WriteProject("/Projects/Keep", "http://www.example.com/", target);
    WriteLinkData(home.PathOf("/Projects/Site.dat"), target);
    home.WriteFile(target + "/www.example.com/docs/page.html");
    home.WriteFile(home.PathOf("/Projects/Site.prj.rules"));
    auto tree = MakeTree(home);
    TProjectNode* site = tree->ChildByCaption(tree->Projects(), "Site");
    std::vector<TDownloadProject*> removed;
    tree->Delete(site, true, TProgramSettings{}, [&](TDownloadProject* p) { removed.push_back(p); });
    QCOMPARE(removed.size(), size_t(1));
    QVERIFY(!home.Exists(target + "/www.example.com/docs/page.html"));
    for (const char* suffix : kProjectFileSuffixes) QVERIFY(!home.Exists(home.PathOf("/Projects/Site") + suffix));
    QCOMPARE(Captions(tree->Projects()), std::vector<std::string>{"Keep"});
    // Without the downloaded files: the copy stays.
    home.WriteFile(target + "/www.example.com/docs/page.html");
    WriteLinkData(home.PathOf("/Projects/Keep.dat"), target);
    tree->Delete(tree->Projects()->Children[0].get(), false, TProgramSettings{});
    QVERIFY(home.Exists(target + "/www.example.com/docs/page.html"));
    QVERIFY(!home.Exists(home.PathOf("/Projects/Keep.dat")));
    // The top folders can't go.
    tree->Delete(tree->Projects(), true, TProgramSettings{});
    QCOMPARE(tree->TopCount(), 3);
}

void ProjectTreeTest::DeletingAFolderKeepsFilesThatAreNotOurs() {
    TAppTestHome home;
    home.WriteProject("/Projects/News/Daily");
    home.WriteProject("/Projects/News/Deep/Weekly");
    home.WriteProject("/Projects/Empty/Gone");
    home.WriteFile(home.PathOf("/Projects/News/my-notes.txt"));
    auto tree = MakeTree(home);
    tree->Delete(tree->ChildByCaption(tree->Projects(), "News"), false, TProgramSettings{});
    QVERIFY(!tree->ChildByCaption(tree->Projects(), "News"));
    QVERIFY(!home.Exists(home.PathOf("/Projects/News/Daily.prj")));
    QVERIFY(!DirectoryExists(home.PathOf("/Projects/News/Deep")));
    QVERIFY(home.Exists(home.PathOf("/Projects/News/my-notes.txt")));
    tree->Delete(tree->ChildByCaption(tree->Projects(), "Empty"), false, TProgramSettings{});
    QVERIFY(!DirectoryExists(home.PathOf("/Projects/Empty")));
}

void ProjectTreeTest::MovesFollowTheRestrictions() {
    TAppTestHome home;
    home.WriteProject("/Projects/A/P");
    home.WriteProject("/Projects/A/B/Q");
    home.WriteProject("/Projects/R");
    home.WriteProject("/Templates/T");
    auto tree = MakeTree(home);
    TProjectNode* a = tree->ChildByCaption(tree->Projects(), "A");
    TProjectNode* b = tree->ChildByCaption(a, "B");
    TProjectNode* r = tree->ChildByCaption(tree->Projects(), "R");
    TProjectNode* t = tree->Templates()->Children[0].get();
    QVERIFY(!tree->CanMove(tree->Projects(), tree->QuickProjects()));  // top folders stay
    QVERIFY(!tree->CanMove(t, tree->Projects()));                       // out of Templates
    QVERIFY(!tree->CanMove(r, tree->Templates()));                      // into Templates
    QVERIFY(!tree->CanMove(r, t));                                      // onto a template
    QVERIFY(!tree->CanMove(a, tree->QuickProjects()));                  // folders not into Quick Projects
    QVERIFY(tree->CanMove(r, tree->QuickProjects()));
    QVERIFY(!tree->CanMove(a, b));                                      // not into itself
    QVERIFY(!tree->CanMove(r, tree->Projects()));                       // already there
    QVERIFY(tree->CanMove(r, a->Children.back().get()));                // onto a project: into its folder
    QVERIFY(!tree->Move(a, b));
    QVERIFY(home.Exists(home.PathOf("/Projects/A/B/Q.prj")));
}

void ProjectTreeTest::MovingAProjectRenamesItsFilesAndKeepsTheProject() {
    TAppTestHome home;
    home.WriteProject("/Projects/R", "http://r.example/");
    home.WriteProject("/Quick Projects/R");
    home.WriteFile(home.PathOf("/Projects/R.dat"));
    auto tree = MakeTree(home);
    TProjectNode* r = tree->ChildByCaption(tree->Projects(), "R");
    TDownloadProject* project = r->Project.get();
    TProjectNode* moved = tree->Move(r, tree->QuickProjects());
    QVERIFY(moved);
    QCOMPARE(moved->Caption, std::string("R (2)"));
    QCOMPARE(moved->Project.get(), project);
    QCOMPARE(project->DataFileName, home.PathOf("/Quick Projects/R (2).dat"));
    QVERIFY(home.Exists(home.PathOf("/Quick Projects/R (2).prj")));
    QVERIFY(home.Exists(home.PathOf("/Quick Projects/R (2).dat")));
    QVERIFY(home.Exists(home.PathOf("/Quick Projects/R.prj")));
    QVERIFY(!home.Exists(home.PathOf("/Projects/R.prj")));
    QVERIFY(tree->Projects()->Children.empty());
}

void ProjectTreeTest::MovingAFolderMergesIntoASameNamedFolder() {
    TAppTestHome home;
    home.WriteProject("/Projects/X/News/Daily");
    home.WriteProject("/Projects/News/Weekly");
    auto tree = MakeTree(home);
    TProjectNode* x = tree->ChildByCaption(tree->Projects(), "X");
    TProjectNode* inner = tree->ChildByCaption(x, "News");
    TProjectNode* into = tree->Move(inner, tree->Projects());
    QCOMPARE(into, tree->ChildByCaption(tree->Projects(), "News"));
    QCOMPARE(Captions(into), (std::vector<std::string>{"Weekly", "Daily"}));
    QVERIFY(home.Exists(home.PathOf("/Projects/News/Daily.prj")));
    QVERIFY(!DirectoryExists(home.PathOf("/Projects/X/News")));
    QVERIFY(x->Children.empty());
}

void ProjectTreeTest::FindsNodesByPathAndId() {
    TAppTestHome home;
    home.WriteProject("/Projects/News/Daily");
    auto tree = MakeTree(home);
    TProjectNode* daily = tree->FindByPath("/Projects/News/Daily");
    QVERIFY(daily && daily->Project);
    QCOMPARE(tree->FindById(daily->Id), daily);
    QVERIFY(!tree->FindByPath("/Projects/News/Nothing"));
    QVERIFY(!tree->FindByPath(""));
    QVERIFY(!tree->FindById(0));
    QVERIFY(!tree->FindById(999999));
    QCOMPARE(tree->FindByPath("/Projects"), tree->Projects());
}

void ProjectTreeTest::ModelStaysConsistentThroughChanges() {
    TAppTestHome home;
    home.WriteProject("/Projects/A/P");
    home.WriteProject("/Projects/R");
    TProjectTree tree(home.Home(), {"Projects", "Quick Projects", "Templates"});
    TProjectTreeModel model(tree);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    tree.Load();
    QCOMPARE(model.rowCount(), 3);
    TProjectNode* r = tree.ChildByCaption(tree.Projects(), "R");
    TProjectNode* moved = nullptr;
    model.OnMove = [&](TProjectNode* node, TProjectNode* target) { moved = tree.Move(node, target); };
    std::unique_ptr<QMimeData> data(model.mimeData({model.IndexOf(r)}));
    QVERIFY(model.canDropMimeData(data.get(), Qt::MoveAction, -1, -1, model.IndexOf(tree.QuickProjects())));
    QVERIFY(!model.canDropMimeData(data.get(), Qt::MoveAction, -1, -1, model.IndexOf(tree.Templates())));
    model.dropMimeData(data.get(), Qt::MoveAction, -1, -1, model.IndexOf(tree.QuickProjects()));
    QVERIFY(moved);
    QCOMPARE(model.rowCount(model.IndexOf(tree.QuickProjects())), 1);
    tree.NewFolder(tree.Projects(), "F");
    tree.Rename(tree.ChildByCaption(tree.Projects(), "F"), "G");
    tree.Delete(tree.ChildByCaption(tree.Projects(), "A"), false, TProgramSettings{});
    QCOMPARE(model.rowCount(model.IndexOf(tree.Projects())), 1);
    QCOMPARE(model.data(model.IndexOf(tree.ChildByCaption(tree.Projects(), "G"))).toString(), QString("G"));
    // The top folders are neither editable nor draggable.
    QVERIFY(!(model.flags(model.IndexOf(tree.Projects())) & Qt::ItemIsEditable));
    QVERIFY(!(model.flags(model.IndexOf(tree.Projects())) & Qt::ItemIsDragEnabled));
    tree.Load();
    QCOMPARE(model.rowCount(model.IndexOf(tree.QuickProjects())), 1);
}

QTEST_MAIN(ProjectTreeTest)
#include "ProjectTreeTest.moc"
