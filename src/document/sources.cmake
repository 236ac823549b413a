# The File menu's commands, its recent files, the comments window, the CSV
# export command and the undo history.
list(APPEND SW_UI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/FileCommands.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CommentsWindow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CsvExportCommand.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RaceHistory.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RecentFiles.cpp
)
