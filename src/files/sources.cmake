# Files of this folder: SW_CORE_SOURCES links QtCore only; SW_UI_SOURCES the windows.
list(APPEND SW_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/LapFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FileTitle.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FileIo.cpp
)
list(APPEND SW_UI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/FileCommands.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CommentsWindow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CsvExportCommand.cpp
)
