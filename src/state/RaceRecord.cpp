#include "state/RaceRecord.h"

#include "timing/NumberText.h"

namespace sw {

void Cell::setText(const QString &t)
{
    m_kind = Text;
    m_text = t;
    m_num = val(t);
}

bool Cell::operator==(const Cell &o) const
{
    if (m_kind != o.m_kind)
        return false;
    switch (m_kind) {
    case Empty:
        return true;
    case Number:
        return m_num == o.m_num;
    case Text:
        return m_text == o.m_text;
    }
    return false;
}

void RaceRecord::clearLapData()
{
    for (auto &row : LapData)
        for (Cell &c : row)
            c.clear();
}

} // namespace sw
