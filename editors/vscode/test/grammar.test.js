// The TextMate grammar on the sample definitions, tokenized by the same
// engine as the editor's: section headers, keys, numbers, texts and
// comments each get their scope.
const test = require('node:test');
const assert = require('node:assert');
const fs = require('node:fs');
const path = require('node:path');
const vsctm = require('vscode-textmate');
const oniguruma = require('vscode-oniguruma');

const grammarPath = path.join(__dirname, '..', 'syntaxes', 'scenario.tmLanguage.json');

async function loadGrammar() {
  const wasm = fs.readFileSync(require.resolve('vscode-oniguruma/release/onig.wasm')).buffer;
  await oniguruma.loadWASM(wasm);
  const registry = new vsctm.Registry({
    onigLib: Promise.resolve({
      createOnigScanner: (patterns) => new oniguruma.OnigScanner(patterns),
      createOnigString: (s) => new oniguruma.OnigString(s),
    }),
    loadGrammar: async (scope) =>
      scope === 'source.scenario' ? vsctm.parseRawGrammar(fs.readFileSync(grammarPath, 'utf8'), grammarPath) : null,
  });
  return registry.loadGrammar('source.scenario');
}

// Every token of a file as [line number, text, innermost scope].
function tokenize(grammar, file) {
  const lines = fs.readFileSync(path.join(__dirname, file), 'latin1').split(/\r?\n/);
  const tokens = [];
  let stack = vsctm.INITIAL;
  lines.forEach((line, i) => {
    const r = grammar.tokenizeLine(line, stack);
    for (const t of r.tokens) {
      const text = line.slice(t.startIndex, t.endIndex);
      if (text.trim() !== '') tokens.push([i + 1, text, t.scopes[t.scopes.length - 1]]);
    }
    stack = r.ruleStack;
  });
  return tokens;
}

function scopeOf(tokens, line, text) {
  const found = tokens.find((t) => t[0] === line && t[1] === text);
  assert.ok(found, `no token "${text}" on line ${line}: ${JSON.stringify(tokens.filter((t) => t[0] === line))}`);
  return found[2];
}

test('the line definition is coloured by kind of field', async () => {
  const tokens = tokenize(await loadGrammar(), 'Valle_Alta_linea.txt');
  const expected = [
    [1, '[generale]', 'entity.name.section.scenario'],
    [2, 'lunghezza percorso', 'keyword.other.key.scenario'],
    [2, '5000', 'constant.numeric.scenario'],
    [5, 'curvad4', 'keyword.other.key.scenario'],
    [7, '- altitudine iniziale 410 m', 'comment.line.scenario'],
    [9, '-5', 'constant.numeric.scenario'],
    [13, '0', 'constant.numeric.scenario'],
    [15, '(ROCCA)(450 m.)', 'string.unquoted.scenario'],
    [16, '"PIANO, ALTO"', 'string.quoted.double.scenario'],
    [17, '[fine]', 'entity.name.section.scenario'],
  ];
  for (const [line, text, scope] of expected) assert.strictEqual(scopeOf(tokens, line, text), scope, `${line}: ${text}`);
  // No number is taken for a key, nor a key for a number.
  for (const [, text, scope] of tokens) {
    if (/^-?\d+$/.test(text)) assert.strictEqual(scope, 'constant.numeric.scenario', text);
  }
});

test('the train definition: numbers split by blanks, a station name', async () => {
  const tokens = tokenize(await loadGrammar(), 'Valle_Alta_101-.txt');
  assert.deepStrictEqual(
    tokens.filter((t) => t[0] === 3).map((t) => [t[1], t[2]]),
    [
      ['orologio', 'keyword.other.key.scenario'],
      [',', 'punctuation.separator.scenario'],
      ['7', 'constant.numeric.scenario'],
      ['25', 'constant.numeric.scenario'],
      ['0', 'constant.numeric.scenario'],
    ],
  );
  assert.strictEqual(scopeOf(tokens, 5, 'VALLE ALTA'), 'string.unquoted.scenario');
  assert.strictEqual(scopeOf(tokens, 7, 'segnale'), 'keyword.other.key.scenario');
  assert.strictEqual(scopeOf(tokens, 4, '[stazioni]'), 'entity.name.section.scenario');
});
