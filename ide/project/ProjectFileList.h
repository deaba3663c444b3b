// The rows that show a project's file entries. The project document writes them
// through this interface; the project's list view implements it.
#pragma once

#include <QStringList>

class IProjectFileList
{
public:
    virtual ~IProjectFileList() = default;
    virtual void DeleteAllRows() = 0;
    // Inserts an empty row so that it becomes row number row.
    virtual void InsertRow(int row) = 0;
    virtual void DeleteRow(int row) = 0;
    // The four columns: file name, "Yes"/"No" visible, "Yes"/"No" compiled, compiled name.
    virtual void SetRowTexts(int row, const QStringList& columns) = 0;
    // 1 marks a file that the current configuration compiles, 0 any other.
    virtual void SetRowImage(int row, int image) = 0;
};
