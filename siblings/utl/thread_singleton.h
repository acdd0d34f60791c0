// Per-thread single objects of the utility library. The suite runs one analysis thread, so a
// thread singleton is one process-wide object made on first use. As with thr_GlobalSingleton,
// the library that owns T exports its own Instance for that T.
#pragma once

template <class T>
class thr_ThreadSingleton {
 public:
  static T* Instance();
  static void Finalize();
};
