// Single objects of the suite: omi_Singleton<T>::Instance makes the object on first use and
// hands it back; omi_SingletonBase<T>::Finalize destroys it and leaves the pointer null. T makes
// omi_Singleton<T> a friend when its constructor is private.
#pragma once

#include "runtime/fortran_types.h"

template <class T>
class ZMX_EXPORT omi_SingletonBase {
 public:
  static T* instance;
  static void Finalize() {
    delete instance;
    instance = nullptr;
  }
};

template <class T>
constinit T* omi_SingletonBase<T>::instance = nullptr;

template <class T>
class ZMX_EXPORT omi_Singleton : public omi_SingletonBase<T> {
 public:
  static T* Instance() {
    if (omi_SingletonBase<T>::instance == nullptr) omi_SingletonBase<T>::instance = new T();
    return omi_SingletonBase<T>::instance;
  }
};

// Process-wide single objects of the utility library: thr_GlobalSingleton<T>::Instance makes the
// object on first use and hands it back. For a T used by several libraries, the library that
// owns T declares and exports its own Instance for that T, so that every library reaches the
// same object rather than a hidden copy of its own.
template <class T>
class thr_GlobalSingleton {
 public:
  static T* Instance() {
    if (instance == nullptr) instance = new T();
    return instance;
  }
  static void Finalize() {
    delete instance;
    instance = nullptr;
  }

 private:
  static T* instance;
};

template <class T>
constinit T* thr_GlobalSingleton<T>::instance = nullptr;
