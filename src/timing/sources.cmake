# The monotonic clock and the race timer (QtCore only).
list(APPEND SW_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/HiTime.cpp
)
