# Files of this folder: SW_CORE_SOURCES links QtCore only; SW_UI_SOURCES the windows.
list(APPEND SW_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/HelpCommand.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ProgramLauncher.cpp
)
list(APPEND SW_UI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/ProgramPicture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AboutWindow.cpp
)
