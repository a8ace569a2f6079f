-- The scenario language server for the two definitions, NAME_linea.txt and
-- NAME_NUMBER-.txt, in Neovim 0.7 or later. In init.lua:
--
--   require('scenario').setup()                                  -- `scenario` on PATH
--   require('scenario').setup({ cmd = { '/path/to/scenario', 'lsp' } })
--
-- One server per folder serves every definition opened from it. In a
-- definition, K shows the field under the cursor and CTRL-X CTRL-O
-- completes keys, headers and records; diagnostics show as they come.
-- The definitions are read and written in Windows-1252, the code page the
-- simulator reads them in, whatever 'fileencodings' says for other files.
local M = {}
local patterns = { '*_linea.txt', '*-.txt' }

local function on_attach(_, buf)
  vim.api.nvim_buf_set_option(buf, 'omnifunc', 'v:lua.vim.lsp.omnifunc')
  vim.api.nvim_buf_set_keymap(buf, 'n', 'K', '<cmd>lua vim.lsp.buf.hover()<CR>', { noremap = true, silent = true })
end

function M.setup(opts)
  opts = opts or {}
  local cmd = opts.cmd or { 'scenario', 'lsp' }
  local clients = {}
  local encodings
  vim.api.nvim_create_autocmd('BufReadPre', {
    pattern = patterns,
    callback = function()
      encodings = vim.o.fileencodings
      vim.o.fileencodings = 'cp1252'
    end,
  })
  vim.api.nvim_create_autocmd({ 'BufReadPost', 'BufNewFile' }, {
    pattern = patterns,
    callback = function(args)
      if encodings ~= nil then
        vim.o.fileencodings = encodings
        encodings = nil
      end
      if vim.bo[args.buf].fileencoding ~= 'cp1252' then vim.bo[args.buf].fileencoding = 'cp1252' end
      local folder = vim.fn.fnamemodify(vim.api.nvim_buf_get_name(args.buf), ':p:h')
      local id = clients[folder]
      if id == nil or vim.lsp.get_client_by_id(id) == nil then
        id = vim.lsp.start_client({ name = 'scenario', cmd = cmd, root_dir = folder, on_attach = on_attach })
        clients[folder] = id
      end
      if id ~= nil then vim.lsp.buf_attach_client(args.buf, id) end
    end,
  })
end

return M
