#pragma once

#include "core/settings/accesssettings.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QSpinBox;

/// The options pane's page "إمكانية الوصول": how this computer lets a child
/// play with the keyboard or switches, without hearing, and whether the
/// window manager may close the quiz. The values take effect at once and
/// are saved with the other settings.
class AccessPage : public QWidget
{
    Q_OBJECT
public:
    explicit AccessPage(QWidget *parent = nullptr);

    AccessSettings values() const;
    /// Shows the values without reporting a change.
    void setValues(const AccessSettings &settings);

    QComboBox *ScanCB;
    QSpinBox *ScanIntervalSE;
    QCheckBox *VisualFeedbackChk, *ChildLockChk;

signals:
    /// The teacher changed a value.
    void changed();

private:
    // Named like the others, for the tests and screen readers; no other
    // class reaches them.
    QGroupBox *AccessGroup;
    QLabel *ScanLabel, *ScanIntervalLabel;
    QCheckBox *WaitQuestionChk;
    QLabel *KeysNote;
};
