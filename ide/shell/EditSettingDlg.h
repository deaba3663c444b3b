// "Edit Program Setting": the old value (read only) and the new value of one option.
#pragma once

#include <QDialog>

class QLineEdit;

class CEditSettingDlg : public QDialog
{
    Q_OBJECT
public:
    CEditSettingDlg(const QString& oldValue, const QString& newValue, QWidget* parent = nullptr);

    QString m_strOldValue;
    QString m_strNewValue;

    void accept() override;

private:
    QLineEdit* m_pNew;
};
