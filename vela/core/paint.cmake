# The paint manager: painting, resources, input, focus, timers, the factory and drag and drop.
target_sources(Vela PRIVATE
  PaintManager.cpp
  PaintManagerPaint.cpp
  PaintManagerResources.cpp
  PaintManagerInput.cpp
  PaintManagerFocus.cpp
  PaintManagerTimers.cpp
  PaintManagerFactory.cpp
  PaintManagerDrag.cpp
  CIDropTarget.cpp)
