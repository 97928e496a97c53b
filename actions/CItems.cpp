#include "actions/CItems.h"

qint32 CItems::Add(const qint16 &Action, const QString &BoxFile, const QString &BoxName,
                   const QString &Folder, const qint16 &Shred, const qint16 &Checked,
                   const QString &LastUpdate)
{
    auto action = std::make_unique<CAction>();
    const qint32 id = action->Assign(Action, BoxFile, BoxName, Folder, Shred, Checked, LastUpdate);
    items.push_back(std::move(action));
    return id;
}

void CItems::RemoveAll()
{
    const qint32 count = Count();
    for (qint32 i = 0; i < count; ++i)
        Remove(1);
}

void CItems::Remove(qint32 Index)
{
    if (Index >= 1 && Index <= Count())
        items.erase(items.begin() + (Index - 1));
}

CAction *CItems::Item(qint32 Index) const
{
    if (Index < 1 || Index > Count())
        return nullptr;
    return items[size_t(Index - 1)].get();
}

CAction *CItems::Item(const QString &Key) const
{
    for (const auto &action : items) {
        if (QString::number(action->ID()) == Key)
            return action.get();
    }
    return nullptr;
}
