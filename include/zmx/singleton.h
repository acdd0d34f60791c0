// Single objects of the suite: omi_Singleton<T>::Instance makes the object on first use and
// hands it back; omi_SingletonBase<T>::Finalize destroys it and leaves the pointer null. T makes
// omi_Singleton<T> a friend when its constructor is private.
#pragma once

#include "zmx/types.h"

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

// The utility library's names for single objects. The suite runs one analysis thread, so a
// thread singleton is as process-wide as a global one; both are omi_Singleton under another name.
// For a T reached from several libraries, the library that owns T instantiates the templates
// (template class omi_SingletonBase<T>; template class omi_Singleton<T>;) and its header
// declares them extern, so every library reaches the one exported object.
template <class T>
class ZMX_EXPORT thr_GlobalSingleton : public omi_Singleton<T> {};

template <class T>
class ZMX_EXPORT thr_ThreadSingleton : public omi_Singleton<T> {};
