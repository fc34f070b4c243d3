#pragma once

// What the result tree shows when the person looks for a computer: only the computers whose name,
// user, MAC address or any shown line holds the text (letter case aside, Cyrillic too), each with
// all its lines, under their directories; the computers of a directory in the order asked for.
// The window puts it between the tree and its view only while a search or an order is asked for,
// never while a run adds nodes.

#include <QSortFilterProxyModel>

namespace corvinax {

class ResultNode;
class ResultTreeModel;

class ResultTreeFilter final : public QSortFilterProxyModel {
    Q_OBJECT

public:
    enum class Order { AsListed, ByComputerName, NewestChangeFirst };

    explicit ResultTreeFilter(ResultTreeModel& source, QObject* parent = nullptr);

    void setSearch(const QString& text);
    void setOrder(Order order);
    bool active() const { return !m_search.isEmpty() || m_order != Order::AsListed; }
    // The computers that match the search (all computers when there is none).
    int matchingComputers() const;

    ResultNode* node(const QModelIndex& index) const;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    bool computerMatches(const ResultNode& computer) const;
    bool contains(const std::string& text) const;

    ResultTreeModel& m_source;
    QString m_search;
    Order m_order = Order::AsListed;
};

// The computer's name as its node shows it ("Компьютер :NAME, ..."), and the newest change of its
// lines as sortable text (yyyymmddhhmmss); both empty when there is none.
QString computerNameOf(const ResultNode& computer);
// Below 0, 0 or above 0 as a comes before, with or after b: letter case aside, numbers by value.
int compareNames(const QString& a, const QString& b);
QString newestChangeOf(const ResultNode& computer);

}  // namespace corvinax
