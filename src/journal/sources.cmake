# The crash journal: QtCore and the C++ standard library only (the writer
# thread is a std::thread; glibc 2.34 and later need no extra library for it).
list(APPEND SW_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/JournalRecords.cpp
  ${CMAKE_CURRENT_LIST_DIR}/JournalFormat.cpp
  ${CMAKE_CURRENT_LIST_DIR}/JournalWriter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/JournalStore.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RaceRecorder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/JournalRecovery.cpp
)
