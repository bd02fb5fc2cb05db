#pragma once

class PlayerController;
class QTableWidget;

// The playlist table's editing: its context menu (Remove, Move Up, Move Down, Clear Playlist)
// and the Delete key while the table has the focus. The edits are requests to the controller,
// which redraws the table through its playlist signals.
namespace PlaylistPanel {

void Attach(QTableWidget *table, PlayerController *controller);

} // namespace PlaylistPanel
