#include "app/dialogs/rules/FileSizeConditionForm.h"

#include "app/dialogs/DialogControls.h"
#include "app/dialogs/OptionsTexts.h"
#include "rules/FileSizeCondition.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <limits>

namespace vorlin::app {

TFileSizeConditionForm::TFileSizeConditionForm(TFileSizeCondition& condition, QWidget* parent)
    : QDialog(parent), FCondition(condition) {
    AddOptionsTexts();
    setObjectName("TFileSizeConditionForm");
    SetTag(this, tgConditionForm);

    FGreater = Tagged<QCheckBox>(tgSizeGreater, "cbGreaterEnabled", this);
    FMinSize = Named<QSpinBox>("seMinSize", this);
    FLess = Tagged<QCheckBox>(tgSizeLess, "cbLessEnabled", this);
    FMaxSize = Named<QSpinBox>("seMaxSize", this);
    for (QSpinBox* size : {FMinSize, FMaxSize}) {
        size->setRange(0, std::numeric_limits<int32_t>::max());
        size->setMinimumWidth(size->fontMetrics().horizontalAdvance(QStringLiteral("00000000000")) + 24);
    }
    FAll = Tagged<QRadioButton>(tgConditionAll, "rbConditionAll", this);
    FAny = Tagged<QRadioButton>(tgConditionAny, "rbConditionAny", this);
    FNegate = Tagged<QCheckBox>(tgConditionNegate, "cbNegate", this);
    FDescription = Named<QLabel>("lbDescription", this);
    FDescription->setFrameShape(QFrame::StyledPanel);
    FDescription->setWordWrap(true);

    FGreater->setChecked(condition.GreaterEnabled);
    FMinSize->setValue(condition.MinSize);
    FLess->setChecked(condition.LessEnabled);
    FMaxSize->setValue(condition.MaxSize);
    (condition.Mode == THTTPVorlinCondition::cmAny ? FAny : FAll)->setChecked(true);
    FNegate->setChecked(condition.Negate);

    auto* sizes = new QGridLayout;
    sizes->addWidget(FGreater, 0, 0);
    sizes->addWidget(FMinSize, 0, 1);
    sizes->addWidget(FLess, 1, 0);
    sizes->addWidget(FMaxSize, 1, 1);
    sizes->setColumnStretch(2, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(sizes);
    layout->addWidget(FAll);
    layout->addWidget(FAny);
    layout->addWidget(FNegate);
    layout->addWidget(FDescription, 1);
    layout->addWidget(OkCancelButtons(this, tgConditionOk, tgConditionCancel));

    for (QCheckBox* box : {FGreater, FLess, FNegate}) connect(box, &QCheckBox::toggled, this, [this] { Update(); });
    for (QSpinBox* size : {FMinSize, FMaxSize})
        connect(size, &QSpinBox::valueChanged, this, [this] { Update(); });
    connect(FAny, &QRadioButton::toggled, this, [this] { Update(); });
    Update();
}

void TFileSizeConditionForm::StoreInto(TFileSizeCondition& condition) const {
    condition.GreaterEnabled = FGreater->isChecked();
    condition.MinSize = FMinSize->value();
    condition.LessEnabled = FLess->isChecked();
    condition.MaxSize = FMaxSize->value();
    condition.Mode = FAny->isChecked() ? THTTPVorlinCondition::cmAny : THTTPVorlinCondition::cmAll;
    condition.Negate = FNegate->isChecked();
}

void TFileSizeConditionForm::Update() {
    FMinSize->setEnabled(FGreater->isChecked());
    FMaxSize->setEnabled(FLess->isChecked());
    // The sentence the rule will show, from a scratch condition.
    TFileSizeCondition preview;
    StoreInto(preview);
    FDescription->setText(QString::fromStdString(preview.GetDescription()));
}

void TFileSizeConditionForm::accept() {
    StoreInto(FCondition);
    QDialog::accept();
}

} // namespace vorlin::app
