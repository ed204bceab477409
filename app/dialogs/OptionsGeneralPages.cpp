#include "app/dialogs/OptionsGeneralPages.h"

#include "app/dialogs/DialogControls.h"
#include "app/dialogs/OptionsTexts.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

namespace vorlin::app {

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }
std::string S(const QLineEdit* edit) { return edit->text().trimmed().toStdString(); }

} // namespace

// --- Project Mode -------------------------------------------------------------------------

TProjectModePage::TProjectModePage(QWidget* parent) : TOptionsPage(parent), FMode(this), FInvalidChars(this) {
    auto* group = Tagged<QGroupBox>(tgProjectModeGroup, "rgProjectMode", this);
    auto* layout = new QVBoxLayout(group);
    // The buttons in the order of TProjectMode.
    layout->addWidget(FMode.Add(tgOfflineBrowse, "rbOfflineBrowse", group));
    layout->addWidget(FMode.Add(tgMirror, "rbMirror", group));
    // The mirror's choice for links with characters a file name can't hold.
    auto* mirror = new QGridLayout;
    mirror->setContentsMargins(24, 0, 0, 6);
    mirror->addWidget(FInvalidChars.Add(tgDontFollow, "rbDontFollow", group), 0, 0, 1, 2);
    mirror->addWidget(FInvalidChars.Add(tgReplace, "rbReplace", group), 1, 0);
    FMirroringChangeQ = Named<QLineEdit>("edMirroringChangeQ", group);
    FMirroringChangeQ->setMaximumWidth(FMirroringChangeQ->fontMetrics().horizontalAdvance(QStringLiteral("MMMMMM")) + 12);
    mirror->addWidget(FMirroringChangeQ, 1, 1);
    mirror->setColumnStretch(2, 1);
    layout->addLayout(mirror);
    layout->addWidget(FMode.Add(tgModeShowStructure, "rbShowStructure", group));
    layout->addWidget(FMode.Add(tgHalfAutomatic, "rbHalfAutomatic", group));

    auto* page = new QVBoxLayout(this);
    page->addWidget(group);
    page->addStretch(1);

    // Initial states of a new project.
    FMode.Select(pmOfflineBrowse);
    FInvalidChars.Select(icReplace);
    QObject::connect(FMode.Group(), &QButtonGroup::idToggled, this, [this] { UpdateEnabled(); });
    UpdateEnabled();
}

int TProjectModePage::Tag() const { return tgProjectMode; }

void TProjectModePage::Load(const TDownloadProject& project) {
    FMode.Select(project.ProjectMode);
    // icComma has no button: none is selected.
    FInvalidChars.Select(project.InvalidCharMode);
    FMirroringChangeQ->setText(Q(project.MirroringChangeQ));
    UpdateEnabled();
}

void TProjectModePage::Store(TDownloadProject& project) const {
    project.ProjectMode = static_cast<TProjectMode>(FMode.Selected(pmHalfAutomatic));
    project.InvalidCharMode = static_cast<TInvalidCharMode>(FInvalidChars.Selected(icComma));
    // The replacement text is taken as typed: a blank is a valid replacement.
    project.MirroringChangeQ = FMirroringChangeQ->text().toStdString();
}

void TProjectModePage::UpdateEnabled() {
    const bool mirror = FMode.Selected(-1) == pmMirror;
    for (QAbstractButton* button : FInvalidChars.Group()->buttons()) button->setEnabled(mirror);
    FMirroringChangeQ->setEnabled(mirror);
}

// --- Scope --------------------------------------------------------------------------------

TScopePage::TScopePage(QWidget* parent) : TOptionsPage(parent), FScope(this) {
    auto* scope = Tagged<QGroupBox>(tgScopeGroup, "rgScope", this);
    auto* scopeLayout = new QVBoxLayout(scope);
    scopeLayout->addWidget(FScope.Add(tgStayInDirectory, "rbStayInDirectory", scope));
    scopeLayout->addWidget(FScope.Add(tgStayOnServer, "rbStayOnServer", scope));
    scopeLayout->addWidget(FScope.Add(tgStayInDomain, "rbStayInDomain", scope));

    auto* extensions = Tagged<QGroupBox>(tgScopeExtensions, "gbScopeExtensions", this);
    FFollowExternalLinks = Tagged<QCheckBox>(tgFollowExternalLinks, "cbFollowExternalLinks", extensions);
    FUseMaxExternalLevelCount = Tagged<QCheckBox>(tgUseMaxExternalLevelCount, "cbUseMaxExternalLevelCount", extensions);
    FMaxExternalLevelCount = Named<QSpinBox>("seMaxExternalLevelCount", extensions);
    FMaxExternalLevelCount->setRange(0, 100);
    FFollowExternalImages = Tagged<QCheckBox>(tgFollowExternalImages, "cbFollowExternalImages", extensions);
    auto* depth = new QHBoxLayout;
    depth->setContentsMargins(24, 0, 0, 0);
    depth->addWidget(FUseMaxExternalLevelCount);
    depth->addWidget(FMaxExternalLevelCount);
    depth->addStretch(1);
    auto* extensionsLayout = new QVBoxLayout(extensions);
    extensionsLayout->addWidget(FFollowExternalLinks);
    extensionsLayout->addLayout(depth);
    extensionsLayout->addWidget(FFollowExternalImages);

    auto* page = new QVBoxLayout(this);
    page->addWidget(scope);
    page->addWidget(extensions);
    page->addStretch(1);

    FScope.Select(smStayInDirectory);
    FFollowExternalImages->setChecked(true);
    QObject::connect(FFollowExternalLinks, &QCheckBox::toggled, this, [this] { UpdateEnabled(); });
    UpdateEnabled();
}

int TScopePage::Tag() const { return tgScope; }

void TScopePage::Load(const TDownloadProject& project) {
    FScope.Select(project.ScopeMode);
    FFollowExternalLinks->setChecked(project.FollowExternalLinks);
    FUseMaxExternalLevelCount->setChecked(project.UseMaxExternalLevelCount);
    FMaxExternalLevelCount->setValue(project.MaxExternalLevelCount);
    FFollowExternalImages->setChecked(project.FollowExternalImages);
    UpdateEnabled();
}

void TScopePage::Store(TDownloadProject& project) const {
    project.ScopeMode = static_cast<TScopeMode>(FScope.Selected(smStayInDomain));
    project.FollowExternalLinks = FFollowExternalLinks->isChecked();
    project.UseMaxExternalLevelCount = FUseMaxExternalLevelCount->isChecked();
    project.MaxExternalLevelCount = FMaxExternalLevelCount->value();
    project.FollowExternalImages = FFollowExternalImages->isChecked();
}

void TScopePage::UpdateEnabled() {
    const bool external = FFollowExternalLinks->isChecked();
    FUseMaxExternalLevelCount->setEnabled(external);
    FMaxExternalLevelCount->setEnabled(external);
}

// --- Start Data ---------------------------------------------------------------------------

TStartDataPage::TStartDataPage(const std::string& urlText, bool isTemplate, QWidget* parent) : TOptionsPage(parent) {
    auto* start = Tagged<QGroupBox>(tgStartDataGroup, "gbStartData", this);
    FURL = Named<QLineEdit>("edURL", start);
    FURL->setPlaceholderText(QStringLiteral("http://"));
    FURL->setText(Q(urlText));
    FDestination = Named<QLineEdit>("edDestination", start);
    auto* startLayout = FStartLayout = new QGridLayout(start);
    QLabel* urlLabel = FURLLabel = BuddyLabel(tgURL, "lbURL", FURL, start);
    QLabel* destinationLabel = FDestinationLabel = BuddyLabel(tgDestination, "lbDestination", FDestination, start);
    QPushButton* browse = BrowseButton(tgDestinationBrowse, "btDestination", FDestination, TBrowseFor::bfDirectory, start);
    startLayout->addWidget(urlLabel, 0, 0);
    startLayout->addWidget(FURL, 0, 1, 1, 2);
    startLayout->addWidget(destinationLabel, 1, 0);
    startLayout->addWidget(FDestination, 1, 1);
    startLayout->addWidget(browse, 1, 2);
    // A template lends its settings to projects that bring their own URL and target.
    if (isTemplate) start->hide();

    auto* credentials = Tagged<QGroupBox>(tgAuthentication, "gbAuthentication", this);
    FUseAutentfication = Tagged<QCheckBox>(tgUseAutentfication, "cbUseAutentfication", credentials);
    FUserName = Named<QLineEdit>("edUserName", credentials);
    FPassword = Named<QLineEdit>("edPassword", credentials);
    FPassword->setEchoMode(QLineEdit::Password);
    FUserNameLabel = BuddyLabel(tgUserName, "lbUserName", FUserName, credentials);
    FPasswordLabel = BuddyLabel(tgPassword, "lbPassword", FPassword, credentials);
    auto* credentialsLayout = FCredentialsLayout = new QGridLayout(credentials);
    credentialsLayout->addWidget(FUseAutentfication, 0, 0, 1, 2);
    credentialsLayout->addWidget(FUserNameLabel, 1, 0);
    credentialsLayout->addWidget(FUserName, 1, 1);
    credentialsLayout->addWidget(FPasswordLabel, 2, 0);
    credentialsLayout->addWidget(FPassword, 2, 1);

    auto* page = new QVBoxLayout(this);
    page->addWidget(start);
    page->addWidget(credentials);
    page->addStretch(1);

    QObject::connect(FUseAutentfication, &QCheckBox::toggled, this, [this] { UpdateEnabled(); });
    UpdateEnabled();
}

int TStartDataPage::Tag() const { return tgStartData; }

void TStartDataPage::showEvent(QShowEvent* event) {
    AlignLabelColumns();
    TOptionsPage::showEvent(event);
}

// The edits of both groups start at one line; measured when shown, as a
// language may have replaced the captions since.
void TStartDataPage::AlignLabelColumns() {
    int width = 0;
    for (QLabel* label : {FURLLabel, FDestinationLabel, FUserNameLabel, FPasswordLabel})
        if (label->parentWidget()->isVisibleTo(this)) width = std::max(width, label->sizeHint().width());
    FStartLayout->setColumnMinimumWidth(0, width);
    FCredentialsLayout->setColumnMinimumWidth(0, width);
}

void TStartDataPage::Load(const TDownloadProject& project) {
    FURL->setText(Q(project.URL));
    FDestination->setText(Q(project.Destination));
    FUseAutentfication->setChecked(project.UseAutentfication);
    FUserName->setText(Q(project.UserName));
    FPassword->setText(Q(project.Password));
    UpdateEnabled();
}

void TStartDataPage::Store(TDownloadProject& project) const {
    project.URL = URLText();
    project.Destination = S(FDestination);
    project.UseAutentfication = FUseAutentfication->isChecked();
    project.UserName = S(FUserName);
    // A password may begin or end with blanks.
    project.Password = FPassword->text().toStdString();
}

std::string TStartDataPage::URLText() const { return S(FURL); }

void TStartDataPage::UpdateEnabled() {
    const bool use = FUseAutentfication->isChecked();
    for (QWidget* control : {static_cast<QWidget*>(FUserNameLabel), static_cast<QWidget*>(FUserName),
                             static_cast<QWidget*>(FPasswordLabel), static_cast<QWidget*>(FPassword)})
        control->setEnabled(use);
}

} // namespace vorlin::app
