#include "app/result_tree_filter.h"

#include "app/result_tree_model.h"
#include "app/text_codec.h"
#include "findings/result_tree.h"


namespace corvinax {

using namespace Qt::StringLiterals;

QString computerNameOf(const ResultNode& computer)
{
    const QString text = fromCp1251(computer.text);
    const qsizetype colon = text.indexOf(u':');
    const qsizetype comma = text.indexOf(u',', colon + 1);
    return colon < 0 ? text : text.mid(colon + 1, comma < 0 ? -1 : comma - colon - 1).trimmed();
}

// A change line's key is "dd.mm.yyyy hh:mm:ss": turned round, it sorts as a moment does.
QString newestChangeOf(const ResultNode& computer)
{
    QString newest;
    for (const auto& line : computer.children()) {
        const std::string& text = line->text;
        if (text.size() < 19 || text[2] != '.' || text[5] != '.' || text[10] != ' ')
            continue;
        const QString key = QString::fromLatin1(text.substr(6, 4) + text.substr(3, 2) + text.substr(0, 2) +
                                                text.substr(11, 2) + text.substr(14, 2) + text.substr(17, 2));
        newest = std::max(newest, key);
    }
    return newest;
}

namespace {

// The digits of a number from its first one that is not a leading zero ("0" stays "0").
QStringView significantDigits(QStringView digits)
{
    while (digits.size() > 1 && digits.front() == u'0')
        digits = digits.sliced(1);
    return digits;
}

}  // namespace

// Names as people read them: letter case aside, and the numbers in them by their value, so that
// PC-2 comes before PC-10.
int compareNames(const QString& a, const QString& b)
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            const qsizetype startA = i;
            const qsizetype startB = j;
            while (i < a.size() && a[i].isDigit())
                ++i;
            while (j < b.size() && b[j].isDigit())
                ++j;
            const QStringView numberA = significantDigits(QStringView(a).sliced(startA, i - startA));
            const QStringView numberB = significantDigits(QStringView(b).sliced(startB, j - startB));
            if (numberA.size() != numberB.size())
                return numberA.size() < numberB.size() ? -1 : 1;
            if (const int order = numberA.compare(numberB); order != 0)
                return order < 0 ? -1 : 1;
            continue;
        }
        const QChar x = a[i++].toCaseFolded();
        const QChar y = b[j++].toCaseFolded();
        if (x != y)
            return x < y ? -1 : 1;
    }
    return static_cast<int>(i < a.size()) - static_cast<int>(j < b.size());
}

ResultTreeFilter::ResultTreeFilter(ResultTreeModel& source, QObject* parent)
    : QSortFilterProxyModel(parent), m_source(source)
{
    setSourceModel(&source);
    setRecursiveFilteringEnabled(true);
    setDynamicSortFilter(false);
}

void ResultTreeFilter::setSearch(const QString& text)
{
    m_search = text.trimmed();
    invalidateFilter();
}

void ResultTreeFilter::setOrder(Order order)
{
    m_order = order;
    if (order == Order::AsListed)
        sort(-1);
    else
        sort(0);
}

ResultNode* ResultTreeFilter::node(const QModelIndex& index) const
{
    return m_source.node(mapToSource(index));
}

bool ResultTreeFilter::contains(const std::string& text) const
{
    return fromCp1251(text).contains(m_search, Qt::CaseInsensitive);
}

bool ResultTreeFilter::computerMatches(const ResultNode& computer) const
{
    if (contains(computer.text) || (computer.data && contains(computer.data->macAddr)))
        return true;
    for (const auto& line : computer.children()) {
        if (contains(line->text))
            return true;
    }
    return false;
}

bool ResultTreeFilter::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const
{
    if (m_search.isEmpty())
        return true;
    const ResultNode* item = m_source.node(m_source.index(sourceRow, 0, sourceParent));
    if (!item)
        return false;
    switch (item->level()) {
    case 0: return !item->hasChildren() && contains(item->text);  // a directory shows by its computers
    case 1: return computerMatches(*item);
    default: return computerMatches(*item->parent());
    }
}

// Only the computers of a directory change places; every other node keeps its own.
bool ResultTreeFilter::lessThan(const QModelIndex& left, const QModelIndex& right) const
{
    const ResultNode* a = m_source.node(left);
    const ResultNode* b = m_source.node(right);
    if (!a || !b || a->level() != 1 || b->level() != 1 || m_order == Order::AsListed)
        return left.row() < right.row();
    if (m_order == Order::NewestChangeFirst) {
        const QString newestA = newestChangeOf(*a);
        const QString newestB = newestChangeOf(*b);
        return newestA != newestB ? newestA > newestB : left.row() < right.row();
    }
    const int order = compareNames(computerNameOf(*a), computerNameOf(*b));
    return order != 0 ? order < 0 : left.row() < right.row();
}

int ResultTreeFilter::matchingComputers() const
{
    int count = 0;
    for (const auto& top : m_source.tree().topLevel()) {
        for (const auto& computer : top->children())
            count += computer->level() == 1 && (m_search.isEmpty() || computerMatches(*computer));
    }
    return count;
}

}  // namespace corvinax
