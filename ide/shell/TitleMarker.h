// The " *" that a document window's title carries while the document is modified.
// Both the source editor and the project window keep it current on a 500 ms timer.
#pragma once

#include <QString>

inline const QString& TitleMarker()
{
    static const QString marker = QStringLiteral(" *");
    return marker;
}

// title with the marker added when modified and absent, removed when not modified.
inline QString ApplyTitleMarker(const QString& title, bool modified)
{
    if (modified && !title.endsWith(TitleMarker())) {
        return title + TitleMarker();
    }
    if (!modified && title.endsWith(TitleMarker())) {
        return title.left(title.size() - TitleMarker().size());
    }
    return title;
}

// title without a trailing marker.
inline QString StripTitleMarker(const QString& title)
{
    return ApplyTitleMarker(title, false);
}
