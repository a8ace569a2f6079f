-- Neovim as a real client of `scenario lsp`: opens a train definition with
-- a station 350 m long, expects the fault at the length field, asks for the
-- hover on a signal's position, fixes the length through the editor and
-- expects the diagnostic gone; then reads and writes a definition of its
-- own in Windows-1252. Run by scripts/lsp_check.sh.
local bin, dir, root = os.getenv('SCENARIO_BIN'), os.getenv('LSP_DIR'), os.getenv('LSP_ROOT')
package.path = root .. '/editors/neovim/?.lua;' .. package.path
require('scenario').setup({ cmd = { bin, 'lsp' } })

local failures = 0
local function say(text) io.stdout:write(text .. '\n') end
local function expect(ok, what)
  say((ok and 'ok    ' or 'FALLITO ') .. what)
  if not ok then failures = failures + 1 end
end
local function finish()
  if failures > 0 then vim.cmd('cquit 1') end
  vim.cmd('qall!')
end

vim.cmd('edit ' .. dir .. '/Brenvalo_Morvena_4815-.txt')
local buf = vim.api.nvim_get_current_buf()
local lines = vim.api.nvim_buf_get_lines(buf, 0, -1, false)
local station, signal
for i, line in ipairs(lines) do
  if line:find('PRACCHIA', 1, true) then station = i - 1 end
  if line:find('^segnale,%s+5950') then signal = i - 1 end
end

local got = vim.wait(15000, function() return #vim.diagnostic.get(buf) > 0 end, 50)
expect(got, 'diagnostica ricevuta')
if not got then return finish() end
local d = vim.diagnostic.get(buf)[1]
local length_at = lines[station + 1]:find('350', 1, true) - 1
say(string.format('diagnostica: riga %d, colonne %d-%d, gravita %d: %s', d.lnum + 1, d.col, d.end_col, d.severity,
  d.message))
expect(#vim.diagnostic.get(buf) == 1, 'una sola diagnostica')
expect(d.lnum == station and d.col == length_at and d.end_col == length_at + 3, 'intervallo sul campo della lunghezza')
expect(d.severity == vim.diagnostic.severity.ERROR, 'gravita errore')
expect(d.message == 'errore 9: lunghezza della stazione non multipla di 100 m: 350 m (stazione a 14750 m)', 'messaggio dell\'errore 9')

local character = lines[signal + 1]:find('5950', 1, true)
local answers = vim.lsp.buf_request_sync(buf, 'textDocument/hover', {
  textDocument = { uri = vim.uri_from_bufnr(buf) },
  position = { line = signal, character = character },
}, 10000)
local hover = ''
for _, answer in pairs(answers or {}) do
  if answer.result then hover = answer.result.contents.value end
end
say('hover: ' .. hover:gsub('\n\n', ' | '))
expect(hover:find('valore: 5950 m, km 5,950, cella 120', 1, true) ~= nil, 'hover con km e cella')

local function request(method, params)
  params.textDocument = { uri = vim.uri_from_bufnr(buf) }
  for _, answer in pairs(vim.lsp.buf_request_sync(buf, method, params, 10000) or {}) do
    if answer.result then return answer.result end
  end
  return {}
end
local skeleton = ''
for _, item in ipairs(request('textDocument/completion', { position = { line = signal, character = 0 } })) do
  if item.label == 'segnale' then skeleton = item.textEdit.newText end
end
expect(skeleton:find('^segnale,  %${1:posizione},  %${2:sx}') ~= nil, 'completamento con lo scheletro del segnale')
local outline = {}
for _, section in ipairs(request('textDocument/documentSymbol', {})) do
  for _, child in ipairs(section.children or {}) do outline[child.name] = true end
end
expect(outline['PRACCHIA'] and outline['segnale 5950 m'], 'struttura con stazioni e segnali')

-- The fix, typed through the editor: the client sends the change.
vim.api.nvim_buf_set_lines(buf, station, station + 1, false, { (lines[station + 1]:gsub('350', '300', 1)) })
local gone = vim.wait(15000, function() return #vim.diagnostic.get(buf) == 0 end, 50)
expect(gone, 'diagnostica sparita dopo la correzione')

-- Windows-1252 in and out, in a folder of its own: bytes C0 and 80 read
-- as "À" and "€" (80 is no letter in Latin-1, the editor's usual
-- fallback), and are written back as those bytes; other files keep the
-- editor's encodings.
local encodings = vim.o.fileencodings
local other = vim.fn.tempname()
vim.fn.mkdir(other, 'p')
local path = other .. '/Prova_1-.txt'
local file = io.open(path, 'wb')
file:write('- PRACCHI\192 \128\r\n')
file:close()
vim.cmd('edit ' .. path)
expect(vim.api.nvim_buf_get_lines(0, 0, 1, false)[1] == '- PRACCHIÀ €', 'letto in Windows-1252')
expect(vim.o.fileencodings == encodings, 'codifiche degli altri file invariate')
vim.api.nvim_buf_set_lines(0, 0, 1, false, { '- MOLINO È €' })
vim.cmd('write')
file = io.open(path, 'rb')
local bytes = file:read('*a')
file:close()
expect(bytes == '- MOLINO \200 \128\r\n', 'scritto in Windows-1252')
finish()
