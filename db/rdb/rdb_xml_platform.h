// The XML platform (the XML parser's process-wide state: its memory
// manager, transcoding service, static tables) is set up once per process,
// by the first parse of any thread; the others wait for it.
//
// A set-up that fails half-way cannot be undone: the platform counts the
// call before it sets anything up, takes every later call for a second one
// on a finished platform, and its clean-up reads tables the set-up never
// made. So the set-up is kept from failing for want of memory where it can
// be: a reserve is taken before it starts, and an allocation of the set-up
// that memory refuses (through the platform's memory manager or the global
// operator new) is tried again once the reserve is let go. Without memory
// for the reserve the set-up is not started, and the next parse tries
// again. What is left is the transcoding library's own malloc for the local
// code page's transcoder: refused, it leaves the platform half set up, and
// every later parse ends saying so.
#pragma once

// Sets the platform up unless it is. Throws RDB_XML_STOP: OUT_OF_MEMORY
// when memory ran out (the next call tries again unless the set-up was left
// half done), PANIC when the platform cannot be set up in this process.
void rdb_xml_initialize_platform();
