# The lap-time file format, atomic file writes, file names and the file
# variables of the session (QtCore only).
list(APPEND SW_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/LapFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FileTitle.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FileIo.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FileState.cpp
)
