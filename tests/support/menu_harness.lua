-- Runs a generated custom-menu script ("CST_Menu.lua") as the pack's editor extension would,
-- with nothing but the three names that extension provides:
--   Modrune.runprocess(commandLine)        runs one command line
--   MenuEntry:New(menu, caption, func)     adds an entry that calls func to the menu
--   veskm                                  the custom menu
-- The script fails the run when it reads any other global, writes one of those three, defines
-- a global a second time, touches another field of them, calls runprocess while it loads, or adds
-- an entry to another menu. Once the script has run, the function of each entry is called, in the
-- order the entries were added, and the command lines it hands to runprocess are recorded.
--
-- Usage: lua5.4 menu_harness.lua <script> <record file>
-- The record file holds one record per line: a tag, the length of the text in bytes, ":", the
-- text itself (any bytes, line breaks included), then a line feed.
--   C  the caption of the next entry
--   R  a command line the function of that entry handed to Modrune.runprocess
--   X  the failure that ended the run; the exit status is then 1
-- tests/support/core/MenuHarness.h reads it.

local scriptPath, recordPath = arg[1], arg[2]
local out = assert(io.open(recordPath, "wb"))
local function record(tag, text)
  out:write(tag, #text, ":", text, "\n")
end

-- A table whose other fields can be neither read nor written.
local function strict(name, fields)
  return setmetatable(fields, {
    __index = function(_, k) error("read of " .. name .. "." .. tostring(k), 2) end,
    __newindex = function(_, k) error("write of " .. name .. "." .. tostring(k), 2) end,
  })
end

local loading = true
local commands          -- the command lines of the entry whose function runs
local entries = {}

local veskm = strict("veskm", {})
local MenuEntry = {}
local Modrune = strict("Modrune", {
  runprocess = function(commandLine)
    if loading then error("Modrune.runprocess called while the script loads", 2) end
    if type(commandLine) ~= "string" then error("Modrune.runprocess needs a text", 2) end
    commands[#commands + 1] = commandLine
  end,
})
MenuEntry.New = function(self, menu, caption, func)
  if self ~= MenuEntry then error("MenuEntry.New called without MenuEntry", 2) end
  if menu ~= veskm then error("an entry added to another menu than veskm", 2) end
  if type(caption) ~= "string" then error("a caption that is not a text", 2) end
  if type(func) ~= "function" then error("an entry without a function", 2) end
  entries[#entries + 1] = { caption = caption, func = func }
  return strict("entry", {})
end
strict("MenuEntry", MenuEntry)

local provided = { Modrune = Modrune, MenuEntry = MenuEntry, veskm = veskm }
local defined = {}
local env = setmetatable({}, {
  __index = function(_, k)
    if provided[k] ~= nil then return provided[k] end
    if defined[k] ~= nil then return defined[k] end
    error("read of the undefined global " .. tostring(k), 2)
  end,
  __newindex = function(_, k, v)
    if provided[k] ~= nil then error("write of the provided global " .. tostring(k), 2) end
    if defined[k] ~= nil then error("second definition of the global " .. tostring(k), 2) end
    if v == nil then error("global " .. tostring(k) .. " set to nil", 2) end
    defined[k] = v
  end,
})

local ok, failure = pcall(function()
  local chunk = assert(loadfile(scriptPath, "t", env))
  chunk()
  loading = false
  for _, entry in ipairs(entries) do
    record("C", entry.caption)
    commands = {}
    entry.func()
    for _, commandLine in ipairs(commands) do record("R", commandLine) end
  end
end)
if not ok then record("X", tostring(failure)) end
out:close()
os.exit(ok and 0 or 1)
