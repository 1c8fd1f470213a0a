# The dialog: the skinned top-level window that owns a paint manager.
target_sources(Vela PRIVATE
  MDialog.cpp
  MDialogMessages.cpp)
