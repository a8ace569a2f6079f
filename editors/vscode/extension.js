// Starts `scenario lsp` for the definitions opened in the editor.
const vscode = require('vscode');
const { LanguageClient } = require('vscode-languageclient/node');

let client;

function activate() {
  const command = vscode.workspace.getConfiguration('scenario').get('programma', 'scenario');
  client = new LanguageClient(
    'scenario',
    'scenario lsp',
    { command, args: ['lsp'] },
    { documentSelector: [{ scheme: 'file', language: 'scenario' }] },
  );
  return client.start();
}

function deactivate() {
  return client ? client.stop() : undefined;
}

module.exports = { activate, deactivate };
