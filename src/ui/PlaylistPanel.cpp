#include "ui/PlaylistPanel.h"

#include "i18n/GetText.h"
#include "player/PlayerController.h"

#include <QAction>
#include <QItemSelectionModel>
#include <QMenu>
#include <QTableWidget>

namespace PlaylistPanel {

namespace {

void RemoveSelectedRows(QTableWidget *table, PlayerController *controller)
{
    QList<int> rows;
    for (const QModelIndex &index : table->selectionModel()->selectedRows())
        rows << index.row();
    controller->Handle(Ask::RemoveFromPlaylist{rows});
}

void MoveCurrentRow(QTableWidget *table, PlayerController *controller, int by)
{
    const int row = table->currentRow();
    if (row < 0 || !controller->Handle(Ask::MoveInPlaylist{row, by}))
        return;
    table->selectRow(qBound(0, row + by, table->rowCount() - 1));
}

void ShowMenu(QTableWidget *table, PlayerController *controller, const QPoint &at)
{
    const int row = table->rowAt(at.y());
    QMenu menu(table);
    QAction *remove = menu.addAction(GetText("MainWnd/PlaylistRemove"));
    remove->setShortcut(QKeySequence::Delete);
    QAction *up = menu.addAction(GetText("MainWnd/PlaylistMoveUp"));
    QAction *down = menu.addAction(GetText("MainWnd/PlaylistMoveDown"));
    menu.addSeparator();
    QAction *clear = menu.addAction(GetText("MainWnd/PlaylistClear"));
    const bool onRow = row >= 0;
    remove->setEnabled(!table->selectionModel()->selectedRows().isEmpty() || onRow);
    up->setEnabled(onRow && row > 0);
    down->setEnabled(onRow && row + 1 < table->rowCount());
    clear->setEnabled(table->rowCount() > 0);
    if (onRow && !table->selectionModel()->isRowSelected(row, QModelIndex()))
        table->selectRow(row);
    const QAction *chosen = menu.exec(table->viewport()->mapToGlobal(at));
    if (chosen == remove)
        RemoveSelectedRows(table, controller);
    else if (chosen == up)
        MoveCurrentRow(table, controller, -1);
    else if (chosen == down)
        MoveCurrentRow(table, controller, 1);
    else if (chosen == clear)
        controller->Handle(Ask::ClearPlaylist{});
}

} // namespace

void Attach(QTableWidget *table, PlayerController *controller)
{
    table->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(table, &QWidget::customContextMenuRequested, table,
                     [table, controller](const QPoint &at) { ShowMenu(table, controller, at); });
    // Delete acts on the table's selection only while the table has the focus.
    auto *removeRows = new QAction(table);
    removeRows->setShortcut(QKeySequence::Delete);
    removeRows->setShortcutContext(Qt::WidgetShortcut);
    table->addAction(removeRows);
    QObject::connect(removeRows, &QAction::triggered, table,
                     [table, controller] { RemoveSelectedRows(table, controller); });
}

} // namespace PlaylistPanel
