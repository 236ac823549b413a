# Files of this folder: SW_CORE_SOURCES links QtCore only; SW_UI_SOURCES the windows.
