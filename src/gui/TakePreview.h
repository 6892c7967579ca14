#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace gui {

/** What taking the bindings of another key file into the open one would change, as its preview shows it. */
struct TakePreview
{
    /** A function of the open file whose keys differ in the other file. */
    struct Binding
    {
        int line = 0; // in the open file
        QString simName;
        QString keysNow;
        QString keysTaken;
        QString section;
        /** The functions of the open file that use the keys taken now ("SimX (line 12)"), and for each the binding
         *  of this preview that would give it other keys, or -1. */
        QStringList clashNames;
        QList<int> clashBindings;
    };
    /** A function of the other file that the open one lacks: listed, never added. */
    struct Missing
    {
        int line = 0; // in the other file
        QString simName;
        QString keys;
        QString description;
    };

    QString fromPath;
    QString intoName;
    QList<Binding> bindings;
    QList<Missing> missing;
};

} // namespace gui
