# The File menu's commands, its recent files, the comments window and the CSV export command.
list(APPEND SW_UI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/FileCommands.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CommentsWindow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CsvExportCommand.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RecentFiles.cpp
)
