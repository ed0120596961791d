#include "ui/window/accesspage.h"

#include "ui/common/placing.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

AccessPage::AccessPage(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("AccessPage"));
    auto *outer = new QVBoxLayout(this);
    AccessGroup = named(new QGroupBox(QStringLiteral("إمكانية الوصول"), this), "AccessGroup");
    outer->addWidget(AccessGroup);
    outer->addStretch(1);
    auto *form = new QFormLayout(AccessGroup);

    ScanCB = named(new QComboBox(AccessGroup), "ScanCB");
    ScanCB->addItem(QStringLiteral("بلا مسح: الأسهم أو مفتاحان"));
    ScanCB->addItem(QStringLiteral("مسح تلقائي: مفتاح واحد"));
    ScanCB->setAccessibleName(QStringLiteral("طريقة اختيار اللوحة"));
    ScanCB->setAccessibleDescription(QStringLiteral(
        "في المسح التلقائي ينتقل الإطار وحده من لوحة إلى التي تليها، ويجيب الطفل بالمسافة أو الإدخال أو بنقرة"));
    ScanLabel = named(new QLabel(QStringLiteral("اختيار اللوحة:"), AccessGroup), "ScanLabel");
    ScanLabel->setBuddy(ScanCB);
    form->addRow(ScanLabel, ScanCB);

    ScanIntervalSE = named(new QSpinBox(AccessGroup), "ScanIntervalSE");
    ScanIntervalSE->setRange(AccessSettings::MinScanIntervalMs, AccessSettings::MaxScanIntervalMs);
    ScanIntervalSE->setSingleStep(100);
    ScanIntervalSE->setValue(AccessSettings::DefaultScanIntervalMs);
    ScanIntervalSE->setAccessibleName(QStringLiteral("مدة بقاء الإطار على اللوحة بالملي ثانية"));
    ScanIntervalLabel = named(new QLabel(QStringLiteral("مدة المسح (ملي ثانية):"), AccessGroup), "ScanIntervalLabel");
    ScanIntervalLabel->setBuddy(ScanIntervalSE);
    form->addRow(ScanIntervalLabel, ScanIntervalSE);

    VisualFeedbackChk = named(new QCheckBox(QStringLiteral("إظهار علامة صح أو خطأ على اللوحة المختارة"), AccessGroup),
                              "VisualFeedbackChk");
    VisualFeedbackChk->setAccessibleDescription(QStringLiteral("لطفل لا يسمع صوت النتيجة"));
    WaitQuestionChk = named(new QCheckBox(QStringLiteral("تجاهل الإجابة قبل انتهاء السؤال"), AccessGroup),
                            "WaitQuestionChk");
    WaitQuestionChk->setAccessibleDescription(
        QStringLiteral("لا تُحسب نقرة أو لمسة أو مفتاح قبل أن يُسمع السؤال كله"));
    ChildLockChk = named(new QCheckBox(QStringLiteral("قفل الأطفال: لا تُغلق النافذة أثناء اللعب"), AccessGroup),
                         "ChildLockChk");
    ChildLockChk->setAccessibleDescription(
        QStringLiteral("لا يغلق Alt+F4 البرنامج أثناء اللعب؛ زر الخروج وإطفاء الجهاز يحفظان ويغلقان كالمعتاد"));
    for (QCheckBox *c : {VisualFeedbackChk, WaitQuestionChk, ChildLockChk})
        form->addRow(c);

    KeysNote = named(new QLabel(QStringLiteral(
                         "أثناء اللعب: السهم للأسفل أو Tab أو المسافة تنقل الإطار إلى اللوحة التالية، "
                         "والسهم للأعلى أو Shift+Tab إلى السابقة، والإدخال يختار اللوحة المؤطرة كما تفعل النقرة."),
                     AccessGroup),
                     "KeysNote");
    KeysNote->setTextFormat(Qt::PlainText);
    KeysNote->setWordWrap(true);
    form->addRow(KeysNote);

    connect(ScanCB, &QComboBox::currentIndexChanged, this, &AccessPage::changed);
    connect(ScanIntervalSE, &QSpinBox::valueChanged, this, &AccessPage::changed);
    for (QCheckBox *c : {VisualFeedbackChk, WaitQuestionChk, ChildLockChk})
        connect(c, &QCheckBox::toggled, this, &AccessPage::changed);
}

AccessSettings AccessPage::values() const
{
    AccessSettings s;
    s.scanAuto = ScanCB->currentIndex() == 1;
    s.scanIntervalMs = ScanIntervalSE->value();
    s.visualFeedback = VisualFeedbackChk->isChecked();
    s.waitForQuestion = WaitQuestionChk->isChecked();
    s.childLock = ChildLockChk->isChecked();
    return s;
}

void AccessPage::setValues(const AccessSettings &s)
{
    const QSignalBlocker b1(ScanCB), b2(ScanIntervalSE), b3(VisualFeedbackChk), b4(WaitQuestionChk),
        b5(ChildLockChk);
    ScanCB->setCurrentIndex(s.scanAuto ? 1 : 0);
    ScanIntervalSE->setValue(s.scanIntervalMs);
    VisualFeedbackChk->setChecked(s.visualFeedback);
    WaitQuestionChk->setChecked(s.waitForQuestion);
    ChildLockChk->setChecked(s.childLock);
}
