// The in-process COM server that every card substitute is: the receiver
// card's one class, its factory, self-registration and unloading. Each card
// DLL links this and supplies the two definitions below.
#pragma once
#include <windows.h>

// The card DLL's own module, for its resources and window classes.
extern HINSTANCE cardModule;

// Supplied by each card: the text registered for the class, and making one.
extern const char cardDescription[];
HRESULT createCard(REFIID iid, void** object);

// Objects alive keep the server loaded.
void cardObjectCreated();
void cardObjectDestroyed();
