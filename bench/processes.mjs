// SPDX-License-Identifier: GPL-3.0-or-later
// The processes of a program as /proc shows them, for the browser benchmarks: a process with all
// its descendants, and their CPU ticks and context switches.
import fs from 'node:fs';

// The fields of /proc/PID/stat after the command's name, or null for a process that ended.
function statFields(pid) {
  try {
    const stat = fs.readFileSync(`/proc/${pid}/stat`, 'utf8');
    return stat.slice(stat.lastIndexOf(')') + 2).split(' ');
  } catch {
    return null;  // it ended meanwhile
  }
}

// The process `root` and every process started below it.
export function descendants(root) {
  const parents = new Map();
  for (const pid of fs.readdirSync('/proc').filter((name) => /^\d+$/.test(name))) {
    const fields = statFields(pid);
    if (fields) parents.set(Number(pid), Number(fields[1]));
  }
  const family = new Set([root]);
  for (let grew = true; grew;) {
    grew = false;
    for (const [pid, parent] of parents) {
      if (family.has(parent) && !family.has(pid)) {
        family.add(pid);
        grew = true;
      }
    }
  }
  return [...family];
}

// CPU ticks (user and system) and context switches of the processes and all their threads.
export function usage(pids) {
  let ticks = 0;
  let switches = 0;
  for (const pid of pids) {
    const fields = statFields(pid);
    if (!fields) continue;
    ticks += Number(fields[11]) + Number(fields[12]);
    try {
      for (const task of fs.readdirSync(`/proc/${pid}/task`)) {
        const status = fs.readFileSync(`/proc/${pid}/task/${task}/status`, 'utf8');
        for (const match of status.matchAll(/ctxt_switches:\s+(\d+)/g)) switches += Number(match[1]);
      }
    } catch {
      // it ended meanwhile
    }
  }
  return { ticks, switches };
}
