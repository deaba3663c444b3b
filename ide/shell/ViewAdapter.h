// Lets a widget that is not itself a CView serve as the view of a document window.
// The adapter is a child of the widget and goes with it.
#pragma once

#include "DocTemplate.h"

#include <QObject>
#include <QWidget>

class CViewAdapter : public QObject, public CView
{
public:
    CViewAdapter(QWidget* widget, CDocument* document)
        : QObject(widget), CView(document), m_pWidget(widget)
    {
    }
    QWidget* GetWidget() override { return m_pWidget; }

private:
    QWidget* m_pWidget;
};
