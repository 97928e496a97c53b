#pragma once

#include "actions/CAction.h"

#include <memory>
#include <vector>

// Ordered collection of actions. Positions are 1-based; each element's key is the decimal text
// of its ID.
class CItems
{
public:
    qint32 Add(const qint16 &Action, const QString &BoxFile, const QString &BoxName,
               const QString &Folder, const qint16 &Shred, const qint16 &Checked,
               const QString &LastUpdate);
    void RemoveAll();
    // A position outside 1 to Count removes nothing.
    void Remove(qint32 Index);
    qint32 Count() const { return qint32(items.size()); }
    // Null when no element is at that position or under that key.
    CAction *Item(qint32 Index) const;
    CAction *Item(const QString &Key) const;

private:
    std::vector<std::unique_ptr<CAction>> items;
};
