// A file list that keeps its rows in memory, for checking what the project shows.
#pragma once

#include "ProjectFileList.h"

#include <QList>

class CFakeFileList : public IProjectFileList
{
public:
    struct Row
    {
        QStringList columns{"", "", "", ""};
        int image = -1;
    };
    QList<Row> rows;
    int rowWrites = 0;

    void DeleteAllRows() override { rows.clear(); }
    void InsertRow(int row) override { rows.insert(row, Row()); }
    void DeleteRow(int row) override { rows.removeAt(row); }
    void SetRowTexts(int row, const QStringList& columns) override
    {
        rows[row].columns = columns;
        ++rowWrites;
    }
    void SetRowImage(int row, int image) override { rows[row].image = image; }

    QStringList Column(int column) const
    {
        QStringList texts;
        for (const Row& row : rows) {
            texts.append(row.columns.at(column));
        }
        return texts;
    }
    QList<int> Images() const
    {
        QList<int> images;
        for (const Row& row : rows) {
            images.append(row.image);
        }
        return images;
    }
};
