// "Configuration List": picks a set of configuration names for the File Properties
// dialog from a sorted list with several selections.
#pragma once

#include "ProjectDialogsModel.h"

#include <QDialog>

class QListWidget;

class CConfigListDlg : public QDialog
{
    Q_OBJECT
public:
    // The names of configs; those that text lists start selected.
    CConfigListDlg(const QList<ProjectConfiguration>& configs, const QByteArray& text,
                   QWidget* parent = nullptr);

    // After OK: the selected names in list order, separated by single blanks.
    QByteArray GetText() const { return m_text; }
    QListWidget* GetList() const { return m_pList; }
    void accept() override;

private:
    CConfigListModel m_model;
    QByteArray m_text;
    QListWidget* m_pList = nullptr;
};
