// States kept in the browser: IndexedDB, one record per slot, each a state
// image of the desktop program's format.
"use strict";
function openStates() {
  return new Promise((resolve, reject) => {
    const request = indexedDB.open("bevorel", 1);
    request.onupgradeneeded = () => request.result.createObjectStore("states");
    request.onsuccess = () => resolve(request.result);
    request.onerror = () => reject(request.error);
  });
}
async function stateStore(mode, action) {
  const db = await openStates();
  return new Promise((resolve, reject) => {
    const request = action(db.transaction("states", mode).objectStore("states"));
    request.onsuccess = () => resolve(request.result);
    request.onerror = () => reject(request.error);
  });
}
const putState = (key, bytes) => stateStore("readwrite", (s) => s.put(bytes, key));
const getState = (key) => stateStore("readonly", (s) => s.get(key));
